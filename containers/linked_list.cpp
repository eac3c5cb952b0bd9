// The linked list and tree container. Every walk is iterative with an
// explicit stack of the nodes whose child chains it has entered, so deep
// trees cannot exhaust the native stack, and the walk never depends on the
// parent pointers that callers who link chains by hand may leave unset.
#include "frame/guard.h"
#include "pelund/list.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace pelund {
namespace {

bool isHeader(const ListNode* n) { return (n->flags & PS_LIST_HEADER) != 0; }

// Pre-order walk from a start node over its child chains and following
// siblings, never above the start's own chain.
class PreOrder {
public:
    explicit PreOrder(ListNode* start) : node_(start) {}

    ListNode* node() const { return node_; }

    // The node whose child chain holds the current node, or null at the
    // start's level.
    ListNode* chainParent() const { return entered_.empty() ? nullptr : entered_.back(); }

    void advance()
    {
        if (node_->firstChild) {
            entered_.push_back(node_);
            node_ = node_->firstChild;
            return;
        }
        while (!node_->next && !entered_.empty()) {
            node_ = entered_.back();
            entered_.pop_back();
        }
        node_ = node_->next;
    }

    // Skips the current node's child chain.
    void advancePastChildren()
    {
        while (!node_->next && !entered_.empty()) {
            node_ = entered_.back();
            entered_.pop_back();
        }
        node_ = node_->next;
    }

private:
    ListNode* node_;
    std::vector<ListNode*> entered_;
};

struct Found {
    ListNode* node = nullptr;
    ListNode* chainParent = nullptr;  // the parent of its chain, if any
};

Found findByIndex(ListNode* list, int index)
{
    Found f;
    if (!list || index < 0)
        return f;
    int counter = 0;
    for (PreOrder walk(list); walk.node(); walk.advance(), ++counter) {
        if (counter >= index) {
            f.node = walk.node();
            f.chainParent = walk.chainParent();
            return f;
        }
    }
    return f;
}

void* copyOfData(const void* data, uint64_t size)
{
    if (!data)
        return nullptr;
    void* block = std::calloc(size ? size_t(size) : 1, 1);
    if (block && size)
        std::memcpy(block, data, size_t(size));
    return block;
}

void freeOne(ListNode* node, psList_Destructor destructor)
{
    if (destructor && node->data)
        destructor(node->data);
    std::free(node->data);
    std::free(node);
}

// Takes NODE out of its chain. When it heads a child chain, the parent
// keeps the rest of the chain.
void unlink(ListNode* node, ListNode* chainParent)
{
    ListNode* parent = node->parent ? node->parent : chainParent;
    if (parent && parent->firstChild == node) {
        parent->firstChild = node->next;
        if (node->next)
            node->next->parent = parent;
    }
    if (node->prev)
        node->prev->next = node->next;
    if (node->next)
        node->next->prev = node->prev;
    node->prev = node->next = nullptr;
}

ListNode* lastSibling(ListNode* node)
{
    while (node->next)
        node = node->next;
    return node;
}

// Exchanges the data of two members (never of a header).
int swapData(ListNode* a, ListNode* b)
{
    if (!a || !b || isHeader(a) || isHeader(b))
        return PS_FAILURE;
    void* data = a->data;
    a->data = b->data;
    b->data = data;
    return PS_SUCCESS;
}

ListNode* nodeAt(ListNode* list, int index)
{
    return guarded(static_cast<ListNode*>(nullptr), [&] { return findByIndex(list, index).node; });
}

int insertAfter(ListNode* list, int index, int count, const void* data)
{
    if (!list)
        return PS_FAILURE;
    if (count <= 0)
        return PS_FAILURE;
    ListNode* anchor = findByIndex(list, index).node;
    if (!anchor)
        anchor = lastSibling(list);
    for (int k = 0; k < count; ++k) {
        auto* node = static_cast<ListNode*>(std::calloc(1, sizeof(ListNode)));
        if (!node)
            return PS_FAILURE;
        if (data && !(node->data = copyOfData(data, anchor->dataSize))) {
            std::free(node);
            return PS_FAILURE;
        }
        node->dataSize = anchor->dataSize;
        node->flags = anchor->flags & ~PS_LIST_HEADER;
        node->tag = anchor->tag;
        node->prev = anchor;
        node->next = anchor->next;
        if (anchor->next)
            anchor->next->prev = node;
        anchor->next = node;
        anchor = node;
    }
    return PS_SUCCESS;
}

int deleteAt(ListNode* list, int count, int index, psList_Destructor destructor)
{
    if (!list || count <= 0 || index <= 0)
        return PS_FAILURE;
    int result = PS_FAILURE;
    for (int pass = 0; pass < count; ++pass) {
        Found f = findByIndex(list, index);
        if (!f.node)
            continue;
        if (f.node->firstChild) {
            result = PS_FAILURE;
            continue;
        }
        unlink(f.node, f.node->prev ? nullptr : f.chainParent);
        freeOne(f.node, destructor);
        result = PS_SUCCESS;
    }
    return result;
}

bool inSubtree(ListNode* root, ListNode* node)
{
    if (!root->firstChild)
        return false;
    for (PreOrder walk(root->firstChild); walk.node(); walk.advance())
        if (walk.node() == node)
            return true;
    return false;
}

int moveMember(ListNode* list, int from, int to)
{
    Found moving = findByIndex(list, from), target = findByIndex(list, to);
    if (!moving.node || !target.node)
        return PS_FAILURE;
    if (isHeader(moving.node) || isHeader(target.node) || moving.node == target.node)
        return PS_SUCCESS;
    if (inSubtree(moving.node, target.node))
        return PS_FAILURE;  // it would follow itself
    ListNode* m = moving.node;
    unlink(m, m->prev ? nullptr : moving.chainParent);
    ListNode* t = target.node;
    m->prev = t;
    m->next = t->next;
    if (t->next)
        t->next->prev = m;
    t->next = m;
    return PS_SUCCESS;
}

ListNode* walkFrom(ListNode* start, psList_Visitor visitor, void* user)
{
    for (PreOrder walk(start); walk.node(); walk.advance())
        if (visitor && visitor(walk.node()->data, user))
            return walk.node();
    return nullptr;
}

// The gnome sort, with the sort of a node's child chain (scope 4) run as a
// frame of its own on an explicit stack before the node is compared.
int sortFrom(ListNode* start, psList_Comparator comparator, void* user, int scope)
{
    struct Frame {
        ListNode* current;
        bool childrenSorted;
    };
    std::vector<Frame> frames{{start, false}};
    while (!frames.empty()) {
        Frame& f = frames.back();
        ListNode* cur = f.current;
        if (scope == 4 && cur->firstChild && !f.childrenSorted) {
            f.childrenSorted = true;
            frames.push_back({cur->firstChild, false});
            continue;
        }
        if (!cur->next) {
            frames.pop_back();
            continue;
        }
        int exchange = 0;
        if (comparator) {
            int r = comparator(&exchange, cur, cur->next, user);
            if (r != 0)
                return r;
        }
        if (exchange) {
            if (swapData(cur, cur->next) != PS_SUCCESS)
                return PS_FAILURE;
            f.current = cur->prev ? cur->prev : cur->next;
        } else {
            f.current = cur->next;
        }
        f.childrenSorted = false;
    }
    return PS_SUCCESS;
}

void destroyFrom(ListNode* start, psList_Destructor destructor)
{
    // Child chains go before their parent: each node is freed once the walk
    // has left it and everything below it.
    std::vector<ListNode*> pending{start};
    std::vector<ListNode*> order;
    while (!pending.empty()) {
        ListNode* chain = pending.back();
        pending.pop_back();
        for (ListNode* n = chain; n; n = n->next) {
            order.push_back(n);
            if (n->firstChild)
                pending.push_back(n->firstChild);
        }
    }
    for (ListNode* n : order)
        freeOne(n, destructor);
}

ListNode* walkGuarded(ListNode* start, psList_Visitor visitor, void* user)
{
    return guarded(static_cast<ListNode*>(nullptr), [&] { return walkFrom(start, visitor, user); });
}

int freeNode(ListNode* node, psList_Destructor destructor)
{
    if (!node)
        return PS_FAILURE;
    freeOne(node, destructor);
    return PS_SUCCESS;
}

int destroyList(ListNode** list, psList_Destructor destructor)
{
    if (!list)
        return PS_FAILURE;
    if (*list) {
        int rc = guarded(PS_FAILURE, [&] {
            destroyFrom(*list, destructor);
            return PS_SUCCESS;
        });
        if (rc != PS_SUCCESS)
            return rc;
    }
    *list = nullptr;
    return PS_SUCCESS;
}

}  // namespace
}  // namespace pelund

using namespace pelund;

extern "C" {

PELUND_API ListNode* psList_create(uint32_t element_size, uint32_t flags, uint32_t tag, int count)
{
    auto* header = static_cast<ListNode*>(std::calloc(1, sizeof(ListNode)));
    if (!header)
        return nullptr;
    header->dataSize = element_size;
    header->flags = flags | PS_LIST_HEADER;
    header->tag = tag;
    if (count > 0)
        guarded(PS_FAILURE, [&] { return insertAfter(header, 0, count, nullptr); });
    return header;
}

PELUND_API int psList_insertAfterMemberIndex(ListNode* list, int index, int count,
                                             const void* data)
{
    return guarded(PS_FAILURE, [&] { return insertAfter(list, index, count, data); });
}

PELUND_API int psList_deleteMemberByIndex(ListNode* list, int count, int index)
{
    return guarded(PS_FAILURE, [&] { return deleteAt(list, count, index, nullptr); });
}

PELUND_API int psList_deleteMemberByIndexExt(ListNode* list, int count, int index,
                                             psList_Destructor destructor)
{
    return guarded(PS_FAILURE, [&] { return deleteAt(list, count, index, destructor); });
}

PELUND_API ListNode* psList_getNodeByIndex(ListNode* list, int index)
{
    return nodeAt(list, index);
}

PELUND_API void* psList_getMemberByIndex(ListNode* list, int index)
{
    ListNode* node = nodeAt(list, index);
    return node ? node->data : nullptr;
}

PELUND_API int psList_getSize(ListNode* list)
{
    if (!list)
        return -1;
    return guarded(-1, [&] {
        int counter = -1;
        for (PreOrder walk(list); walk.node(); walk.advance())
            ++counter;
        return counter;
    });
}

PELUND_API int psList_setMemberByIndex(ListNode* list, int index, const void* data)
{
    ListNode* node = nodeAt(list, index);
    if (!node)
        return PS_FAILURE;
    void* copy = copyOfData(data, node->dataSize);
    if (data && !copy)
        return PS_FAILURE;
    std::free(node->data);
    node->data = copy;
    return PS_SUCCESS;
}

PELUND_API int psList_moveMemberByIndex(ListNode* list, int from, int to)
{
    return guarded(PS_FAILURE, [&] { return moveMember(list, from, to); });
}

PELUND_API int psList_swapMembersByIndex(ListNode* list, int index_a, int index_b)
{
    return swapData(nodeAt(list, index_a), nodeAt(list, index_b));
}

PELUND_API int psList_swapMembersByNode(ListNode* a, ListNode* b) { return swapData(a, b); }

PELUND_API ListNode* psList_processMembers(ListNode* start, psList_Visitor visitor, void* user)
{
    if (!start)
        return nullptr;
    return walkGuarded(start, visitor, user);
}

PELUND_API ListNode* psList_search(ListNode* start, psList_Visitor visitor, void* user)
{
    if (!start || !visitor)
        return nullptr;
    return walkGuarded(start, visitor, user);
}

PELUND_API void* psList_searchForData(ListNode* start, psList_Visitor visitor, void* user)
{
    ListNode* node = start && visitor ? walkGuarded(start, visitor, user) : nullptr;
    return node ? node->data : nullptr;
}

PELUND_API int psList_sort(ListNode* start, psList_Comparator comparator, void* user)
{
    if (!start)
        return PS_FAILURE;
    return guarded(PS_FAILURE, [&] { return sortFrom(start, comparator, user, 4); });
}

PELUND_API int psList_sortExt(ListNode* start, psList_Comparator comparator, void* user,
                              int scope)
{
    if (!start)
        return PS_FAILURE;
    return guarded(PS_FAILURE, [&] { return sortFrom(start, comparator, user, scope); });
}

PELUND_API int psList_freeNode(ListNode* node) { return freeNode(node, nullptr); }

PELUND_API int psList_freeNodeExt(ListNode* node, psList_Destructor destructor)
{
    return freeNode(node, destructor);
}

PELUND_API int psList_destroy(ListNode** list) { return destroyList(list, nullptr); }

PELUND_API int psList_destroyExt(ListNode** list, psList_Destructor destructor)
{
    return destroyList(list, destructor);
}

PELUND_API ListNode* psList_getLastSiblingNode(ListNode* node)
{
    return node ? lastSibling(node) : nullptr;
}

PELUND_API ListNode* psList_getLastChildNode(ListNode* node)
{
    if (!node)
        return nullptr;
    while (node->firstChild)
        node = node->firstChild;
    return node;
}

}  // extern "C"
