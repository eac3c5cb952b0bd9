/** @file
   PelundLib: a doubly linked list whose nodes can carry child chains, so
   that it serves as a flat list or as a tree.

   A list is named by its header node (from psList_create). Members are
   numbered in pre-order: the header is 0, then each node followed at once by
   its child chain (recursively), then its next sibling. Index lookups walk
   in that order. Every node owns a private copy of DATASIZE bytes of data.
   Callers may read the fields and link child chains themselves (set the
   parent's firstChild and the first child's parent). Nodes and data come
   from the library and are released only by these functions. */
#ifndef PELUND_LIST_H
#define PELUND_LIST_H

#include "pelund/common.h"

PELUND_BEGIN_DECLS

/** Marks the list header in ListNode.flags. */
#define PS_LIST_HEADER 8u

/** One node of a list: the header, a member or a child. */
typedef struct ListNode {
    struct ListNode* prev;       /**< previous node of the chain, or null */
    struct ListNode* next;       /**< next node of the chain, or null */
    struct ListNode* parent;     /**< on the first node of a child chain: its parent */
    struct ListNode* firstChild; /**< first node of the child chain, or null */
    uint64_t dataSize;           /**< bytes of data in every node of the list */
    uint32_t flags;              /**< caller's bits; PS_LIST_HEADER on the header */
    uint32_t tag;                /**< caller's value, copied into inserted nodes */
    void* data;                  /**< the node's copy of its data, or null */
} ListNode;

/** Called with a node's data before the block is freed, to release what the
   data refers to; must not free the block itself. */
typedef void (*psList_Destructor)(void* data);

/** Called with a node's data (null for none) and USER; non-zero stops the
   walk at this node. */
typedef int (*psList_Visitor)(void* data, void* user);

/** Called with a flag cleared to 0, a node and its next node, and USER. Sets
   *EXCHANGE non-zero when the two nodes' data must change places; returns
   non-zero to end the sort with that value. Must not ask for an exchange
   when either node is the header. */
typedef int (*psList_Comparator)(int* exchange, ListNode* first, ListNode* second, void* user);

/** @{ */
/** Returns a new header for data blocks of ELEMENT_SIZE bytes, with FLAGS
   (PS_LIST_HEADER added) and TAG, followed by COUNT members without data
   (COUNT <= 0: none). Null when memory is exhausted. */
PELUND_API ListNode* psList_create(uint32_t element_size, uint32_t flags, uint32_t tag, int count);
/** @} */

/** @{ */
/** Inserts COUNT nodes after the node at INDEX (after the last node of the
   top-level chain when there is none), each with a copy of DATA (may be
   null: no data). Returns 0, or 0x8000 for a null LIST, COUNT <= 0, or
   exhausted memory (nodes inserted before stay). */
PELUND_API int psList_insertAfterMemberIndex(ListNode* list, int index, int count,
                                             const void* data);
/** @} */

/** @{ */
/** Delete COUNT members from INDEX on (each pass at the same index). A
   member with a child chain is kept (0x8000). Return 0 when the last pass
   that found a member deleted it, else 0x8000; 0x8000 at once for a null
   LIST, COUNT <= 0 or INDEX <= 0. The Ext form calls DESTRUCTOR (may be
   null) on each data block first. */
PELUND_API int psList_deleteMemberByIndex(ListNode* list, int count, int index);
PELUND_API int psList_deleteMemberByIndexExt(ListNode* list, int count, int index,
                                             psList_Destructor destructor);
/** @} */

/** @{ */
/** Return the node (its data) at INDEX, or null. */
PELUND_API ListNode* psList_getNodeByIndex(ListNode* list, int index);
PELUND_API void* psList_getMemberByIndex(ListNode* list, int index);
/** @} */

/** @{ */
/** Returns the number of nodes reachable from LIST in pre-order, less one
   (the header); -1 for a null LIST. */
PELUND_API int psList_getSize(ListNode* list);
/** @} */

/** @{ */
/** Replaces the data of the node at INDEX (0, the header, allowed) by a copy
   of DATA (null: no data); the old block is freed without destructor.
   Returns 0, or 0x8000 when there is no node at INDEX. */
PELUND_API int psList_setMemberByIndex(ListNode* list, int index, const void* data);
/** @} */

/** @{ */
/** Moves the node at FROM, with its child chain, to follow the node at TO.
   Returns 0 (also, without change, when either is the header or FROM equals
   TO), or 0x8000 when either index has no node or TO lies inside the moving
   node's own child chain. */
PELUND_API int psList_moveMemberByIndex(ListNode* list, int from, int to);
/** @} */

/** @{ */
/** Exchange the data of two nodes; links, flags and tags stay. Return 0, or
   0x8000 when either is missing or a header. */
PELUND_API int psList_swapMembersByIndex(ListNode* list, int index_a, int index_b);
PELUND_API int psList_swapMembersByNode(ListNode* a, ListNode* b);
/** @} */

/** @{ */
/** Walks from START in pre-order (its child chain, then its following
   siblings) and returns the first node for which VISITOR returns non-zero,
   or null. A null VISITOR visits everything and returns null. */
PELUND_API ListNode* psList_processMembers(ListNode* start, psList_Visitor visitor, void* user);
/** @} */

/** @{ */
/** As psList_processMembers; null for a null START or VISITOR. The ForData
   form returns the found node's data. */
PELUND_API ListNode* psList_search(ListNode* start, psList_Visitor visitor, void* user);
PELUND_API void* psList_searchForData(ListNode* start, psList_Visitor visitor, void* user);
/** @} */

/** @{ */
/** Sort the chain from START by exchanging neighbouring data as COMPARATOR
   asks (a gnome sort); with SCOPE 4 every child chain met is sorted too
   (psList_sort is SCOPE 4). Return 0, the comparator's non-zero result, or
   0x8000 when an exchange would involve a header. */
PELUND_API int psList_sort(ListNode* start, psList_Comparator comparator, void* user);
PELUND_API int psList_sortExt(ListNode* start, psList_Comparator comparator, void* user,
                              int scope);
/** @} */

/** @{ */
/** Free one node and its data (calling DESTRUCTOR first, if given) without
   unlinking it. Return 0, or 0x8000 for a null NODE. */
PELUND_API int psList_freeNode(ListNode* node);
PELUND_API int psList_freeNodeExt(ListNode* node, psList_Destructor destructor);
/** @} */

/** @{ */
/** Free the whole structure from *LIST on (child chains included, DESTRUCTOR
   called on each data block) and set *LIST to null. Return 0, or 0x8000 for
   a null LIST. */
PELUND_API int psList_destroy(ListNode** list);
PELUND_API int psList_destroyExt(ListNode** list, psList_Destructor destructor);
/** @} */

/** @{ */
/** Returns the last node of NODE's chain; null for null. */
PELUND_API ListNode* psList_getLastSiblingNode(ListNode* node);
/** @} */

/** @{ */
/** Follows firstChild links from NODE as far as they go and returns the node
   reached (NODE itself without children); null for null. */
PELUND_API ListNode* psList_getLastChildNode(ListNode* node);
/** @} */

PELUND_END_DECLS

#endif
