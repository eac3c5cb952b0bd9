#include "pelund/list.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <vector>

// The node record is part of the interface: 64-bit layout, fields in order.
static_assert(offsetof(ListNode, prev) == 0);
static_assert(offsetof(ListNode, next) == 8);
static_assert(offsetof(ListNode, parent) == 16);
static_assert(offsetof(ListNode, firstChild) == 24);
static_assert(offsetof(ListNode, dataSize) == 32);
static_assert(offsetof(ListNode, flags) == 40);
static_assert(offsetof(ListNode, tag) == 44);
static_assert(offsetof(ListNode, data) == 48);
static_assert(sizeof(ListNode) == 56);

namespace {

// A list of ints whose members hold the given values.
ListNode* intList(const std::vector<int>& values)
{
    ListNode* list = psList_create(sizeof(int), 0, 7, 0);
    for (int v : values)
        psList_insertAfterMemberIndex(list, -1, 1, &v);
    return list;
}

std::vector<int> values(ListNode* list)
{
    std::vector<int> out;
    for (int k = 1; k <= psList_getSize(list); ++k) {
        void* d = psList_getMemberByIndex(list, k);
        out.push_back(d ? *static_cast<int*>(d) : -1);
    }
    return out;
}

int ascending(int* exchange, ListNode* a, ListNode* b, void*)
{
    if ((a->flags & PS_LIST_HEADER) || !a->data || !b->data)
        return 0;
    *exchange = *static_cast<int*>(a->data) > *static_cast<int*>(b->data);
    return 0;
}

int destroyed = 0;
void countDestroy(void*) { ++destroyed; }

}  // namespace

TEST(List, CreateAndLookup)
{
    ListNode* list = psList_create(16, 0x3, 42, 3);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->flags, 0x3u | PS_LIST_HEADER);
    EXPECT_EQ(psList_getSize(list), 3);
    for (int k = 1; k <= 3; ++k) {
        ListNode* n = psList_getNodeByIndex(list, k);
        ASSERT_NE(n, nullptr);
        EXPECT_EQ(n->data, nullptr);
        EXPECT_EQ(n->flags, 0x3u);
        EXPECT_EQ(n->tag, 42u);
        EXPECT_EQ(n->dataSize, 16u);
    }
    EXPECT_EQ(psList_getNodeByIndex(list, 4), nullptr);
    EXPECT_EQ(psList_getNodeByIndex(list, -1), nullptr);
    EXPECT_EQ(psList_getNodeByIndex(list, 0), list);
    EXPECT_EQ(psList_getSize(nullptr), -1);
    ListNode* empty = psList_create(4, 0, 0, 0);
    EXPECT_EQ(psList_getSize(empty), 0);
    psList_destroy(&empty);
    EXPECT_EQ(psList_destroy(&list), 0);
    EXPECT_EQ(list, nullptr);
    EXPECT_EQ(psList_destroy(&list), 0);
    EXPECT_EQ(psList_destroy(nullptr), 0x8000);
}

TEST(List, InsertLinksBothWays)
{
    ListNode* list = intList({1, 2});
    int nine = 9;
    EXPECT_EQ(psList_insertAfterMemberIndex(list, 1, 3, &nine), 0);
    EXPECT_EQ(values(list), (std::vector<int>{1, 9, 9, 9, 2}));
    // Each new node has its own copy.
    EXPECT_NE(psList_getMemberByIndex(list, 2), psList_getMemberByIndex(list, 3));
    ListNode* last = psList_getLastSiblingNode(list);
    int steps = 0;
    for (ListNode* n = last; n->prev; n = n->prev)
        ++steps;
    EXPECT_EQ(steps, 5);
    int ten = 10, eleven = 11;
    EXPECT_EQ(psList_insertAfterMemberIndex(list, -1, 1, &ten), 0);
    EXPECT_EQ(psList_insertAfterMemberIndex(list, 99, 1, &eleven), 0);
    EXPECT_EQ(values(list), (std::vector<int>{1, 9, 9, 9, 2, 10, 11}));
    EXPECT_EQ(psList_insertAfterMemberIndex(list, 1, 0, &ten), 0x8000);
    EXPECT_EQ(psList_insertAfterMemberIndex(nullptr, 1, 1, &ten), 0x8000);
    psList_destroy(&list);
}

TEST(List, Delete)
{
    ListNode* list = intList({1, 2, 3, 4});
    EXPECT_EQ(psList_deleteMemberByIndex(list, 2, 1), 0);
    EXPECT_EQ(values(list), (std::vector<int>{3, 4}));
    EXPECT_EQ(psList_deleteMemberByIndex(list, 1, 5), 0x8000);
    EXPECT_EQ(psList_deleteMemberByIndex(list, 1, 0), 0x8000);
    EXPECT_EQ(psList_deleteMemberByIndex(list, 0, 1), 0x8000);
    // Deleting more than there are removes what there is.
    EXPECT_EQ(psList_deleteMemberByIndex(list, 5, 1), 0);
    EXPECT_EQ(psList_getSize(list), 0);
    destroyed = 0;
    ListNode* other = intList({1, 2});
    EXPECT_EQ(psList_deleteMemberByIndexExt(other, 1, 2, countDestroy), 0);
    EXPECT_EQ(destroyed, 1);
    psList_destroy(&list);
    psList_destroyExt(&other, countDestroy);
    EXPECT_EQ(destroyed, 2);
}

TEST(List, SwapMoveSet)
{
    ListNode* list = intList({1, 2, 3});
    EXPECT_EQ(psList_swapMembersByIndex(list, 1, 3), 0);
    EXPECT_EQ(values(list), (std::vector<int>{3, 2, 1}));
    EXPECT_EQ(psList_swapMembersByIndex(list, 0, 1), 0x8000);
    EXPECT_EQ(psList_swapMembersByNode(nullptr, list), 0x8000);
    EXPECT_EQ(psList_moveMemberByIndex(list, 1, 3), 0);
    EXPECT_EQ(values(list), (std::vector<int>{2, 1, 3}));
    EXPECT_EQ(psList_moveMemberByIndex(list, 0, 2), 0);
    EXPECT_EQ(psList_moveMemberByIndex(list, 2, 0), 0);
    EXPECT_EQ(psList_moveMemberByIndex(list, 2, 2), 0);
    EXPECT_EQ(values(list), (std::vector<int>{2, 1, 3}));
    EXPECT_EQ(psList_moveMemberByIndex(list, 2, 9), 0x8000);
    int five = 5;
    EXPECT_EQ(psList_setMemberByIndex(list, 2, &five), 0);
    EXPECT_EQ(psList_setMemberByIndex(list, 3, nullptr), 0);
    EXPECT_EQ(values(list), (std::vector<int>{2, 5, -1}));
    EXPECT_EQ(psList_setMemberByIndex(list, 0, &five), 0);
    EXPECT_EQ(*static_cast<int*>(list->data), 5);
    EXPECT_EQ(psList_setMemberByIndex(list, 7, &five), 0x8000);
    psList_destroy(&list);
}

TEST(List, SortAscending)
{
    ListNode* list = intList({5, 3, 9, 1, 1, 7});
    EXPECT_EQ(psList_sort(list, ascending, nullptr), 0);
    EXPECT_EQ(values(list), (std::vector<int>{1, 1, 3, 5, 7, 9}));
    auto abort = [](int*, ListNode*, ListNode*, void*) { return 77; };
    EXPECT_EQ(psList_sort(list, abort, nullptr), 77);
    auto greedy = [](int* exchange, ListNode*, ListNode*, void*) {
        *exchange = 1;
        return 0;
    };
    EXPECT_EQ(psList_sort(list, greedy, nullptr), 0x8000);  // exchange with the header
    EXPECT_EQ(psList_sort(list, nullptr, nullptr), 0);
    psList_destroy(&list);
}

// A tree linked by the caller: walked, sized, sorted, searched, pruned and
// destroyed (the sanitizer build reports any leak).
TEST(List, CallerBuiltTree)
{
    ListNode* list = intList({30, 10, 20});
    ListNode* second = psList_getNodeByIndex(list, 2);  // holds 10
    ListNode* children = intList({3, 1, 2});
    // Hang the members of CHILDREN under SECOND and drop its header.
    ListNode* first = children->next;
    first->prev = nullptr;
    children->next = nullptr;
    psList_destroy(&children);
    second->firstChild = first;
    first->parent = second;

    EXPECT_EQ(psList_getSize(list), 6);
    EXPECT_EQ(values(list), (std::vector<int>{30, 10, 3, 1, 2, 20}));
    EXPECT_EQ(psList_getLastChildNode(second), first);
    EXPECT_EQ(psList_sort(list, ascending, nullptr), 0);
    // Data moves, child chains stay with their nodes.
    EXPECT_EQ(values(list), (std::vector<int>{10, 20, 1, 2, 3, 30}));

    auto isTwo = [](void* data, void*) { return data && *static_cast<int*>(data) == 2 ? 1 : 0; };
    void* found = psList_searchForData(list, isTwo, nullptr);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(*static_cast<int*>(found), 2);
    EXPECT_EQ(psList_search(list, nullptr, nullptr), nullptr);
    int visits = 0;
    auto counting = [](void*, void* user) {
        ++*static_cast<int*>(user);
        return 0;
    };
    EXPECT_EQ(psList_processMembers(list, counting, &visits), nullptr);
    EXPECT_EQ(visits, 7);

    // A member with children is not deleted; its children can be.
    EXPECT_EQ(psList_deleteMemberByIndex(list, 1, 2), 0x8000);
    EXPECT_EQ(psList_deleteMemberByIndex(list, 1, 3), 0);  // the chain's first child
    EXPECT_EQ(second->firstChild->parent, second);
    EXPECT_EQ(values(list), (std::vector<int>{10, 20, 2, 3, 30}));
    // Moving the chain's first child out leaves the chain to its parent.
    EXPECT_EQ(psList_moveMemberByIndex(list, 3, 5), 0);
    EXPECT_EQ(values(list), (std::vector<int>{10, 20, 3, 30, 2}));
    // A node cannot be moved behind one of its own children.
    EXPECT_EQ(psList_moveMemberByIndex(list, 2, 3), 0x8000);
    destroyed = 0;
    psList_destroyExt(&list, countDestroy);
    EXPECT_EQ(destroyed, 5);
    EXPECT_EQ(list, nullptr);
}

TEST(List, DeepTreeNeedsNoDeepStack)
{
    ListNode* list = psList_create(sizeof(int), 0, 0, 1);
    ListNode* node = list->next;
    const int depth = 200000;
    for (int k = 0; k < depth; ++k) {
        auto* child = static_cast<ListNode*>(std::calloc(1, sizeof(ListNode)));
        child->dataSize = sizeof(int);
        child->parent = node;
        node->firstChild = child;
        node = child;
    }
    EXPECT_EQ(psList_getSize(list), depth + 1);
    EXPECT_EQ(psList_sort(list, ascending, nullptr), 0);
    EXPECT_EQ(psList_getLastChildNode(list->next), node);
    psList_destroy(&list);
}
