// Render nodes, layer groups and the layer set: list links, painting order, visibility and
// ownership (a group deletes every node linked into it and its eight sentinels).
#include "render/LayerGroup.h"
#include "render/LayerSet.h"
#include "render/RenderNode.h"

#include "display/Display.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>
#include <vector>

// Deletions of watched addresses are counted, so the test can see the group delete its own
// sentinels (plain RenderNodes it allocated itself) exactly once each.
namespace {
constexpr int kMaxWatched = 32;
const void* watched[kMaxWatched];
int watchedDeletes[kMaxWatched];
int watchedCount = 0;

void watch(const void* address) {
  watched[watchedCount] = address;
  watchedDeletes[watchedCount] = 0;
  ++watchedCount;
}

void noteDelete(const void* address) {
  for (int i = 0; i < watchedCount; ++i) {
    if (watched[i] == address) {
      ++watchedDeletes[i];
    }
  }
}
}  // namespace

// Every plain allocation form is replaced as a set (malloc and free underneath), so the deletes
// can be watched and the forms still pair up. Not inlined, so the compiler pairs them as the
// replaced operators they are rather than as malloc and free seen through them.
namespace {
__attribute__((noinline)) void* allocate(std::size_t size) noexcept { return std::malloc(size ? size : 1); }
__attribute__((noinline)) void release(void* block) noexcept {
  noteDelete(block);
  std::free(block);
}
}  // namespace

void* operator new(std::size_t size) {
  void* block = allocate(size);
  if (!block) {
    throw std::bad_alloc();
  }
  return block;
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete(void* block) noexcept { release(block); }
void operator delete[](void* block) noexcept { release(block); }
void operator delete(void* block, std::size_t) noexcept { release(block); }
void operator delete[](void* block, std::size_t) noexcept { release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { release(block); }

namespace {

// Records its name into a shared log when drawn and counts its own destruction.
class RecordingNode : public RenderNode {
public:
  RecordingNode(std::string name, std::vector<std::string>* log, int* destroyed = nullptr)
      : name(std::move(name)), log(log), destroyed(destroyed) {}
  ~RecordingNode() override {
    if (destroyed) {
      ++*destroyed;
    }
  }
  void draw(Display&) override { log->push_back(name); }

  std::string name;
  std::vector<std::string>* log;
  int* destroyed;
};

RecordingNode* inList(RecordingNode* node, int32_t list) {
  node->listIndex = list;
  return node;
}

class LayerGroupTest : public ::testing::Test {
protected:
  void SetUp() override { watchedCount = 0; }
  void TearDown() override { watchedCount = 0; }

  Display display;
  std::vector<std::string> log;
};

// --- construction and links -------------------------------------------------------------------

TEST_F(LayerGroupTest, NewGroupHasFourEmptyListsAndIsVisible) {
  LayerGroup group;
  EXPECT_TRUE(group.visible);
  for (int i = 0; i < LayerGroup::kListCount; ++i) {
    ASSERT_NE(group.heads[i], nullptr);
    ASSERT_NE(group.tails[i], nullptr);
    EXPECT_EQ(group.heads[i]->next, group.tails[i]);
    EXPECT_EQ(group.tails[i]->prev, group.heads[i]);
    EXPECT_EQ(group.heads[i]->prev, nullptr);
    EXPECT_EQ(group.tails[i]->next, nullptr);
    for (int j = 0; j < i; ++j) {
      EXPECT_NE(group.heads[i], group.heads[j]);
    }
  }
  group.draw(display);
  EXPECT_TRUE(log.empty());
}

TEST_F(LayerGroupTest, AppendLinksBeforeTheTailInBothDirections) {
  LayerGroup group;
  RecordingNode* a = inList(new RecordingNode("A", &log), 2);
  RecordingNode* b = inList(new RecordingNode("B", &log), 2);
  EXPECT_EQ(group.append(a), a);
  EXPECT_EQ(group.append(b), b);
  EXPECT_EQ(group.heads[2]->next, a);
  EXPECT_EQ(a->prev, group.heads[2]);
  EXPECT_EQ(a->next, b);
  EXPECT_EQ(b->prev, a);
  EXPECT_EQ(b->next, group.tails[2]);
  EXPECT_EQ(group.tails[2]->prev, b);
  // The other lists are untouched.
  EXPECT_EQ(group.heads[0]->next, group.tails[0]);
  EXPECT_EQ(group.heads[3]->next, group.tails[3]);
}

TEST_F(LayerGroupTest, AppendRefusesWhatItCannotLinkAndLeavesItWithTheCaller) {
  LayerGroup group;
  RecordingNode outside("X", &log);
  outside.listIndex = 4;
  EXPECT_EQ(group.append(&outside), nullptr);
  outside.listIndex = -1;
  EXPECT_EQ(group.append(&outside), nullptr);
  EXPECT_EQ(group.append(nullptr), nullptr);
  EXPECT_EQ(outside.next, nullptr);
  EXPECT_EQ(outside.prev, nullptr);
  for (int i = 0; i < LayerGroup::kListCount; ++i) {
    EXPECT_EQ(group.heads[i]->next, group.tails[i]);
  }
}

// --- painting order and visibility ------------------------------------------------------------

TEST_F(LayerGroupTest, ListsDrawInOrderAndNodesInInsertionOrder) {
  LayerGroup group;
  group.append(inList(new RecordingNode("A", &log), 2));
  group.append(inList(new RecordingNode("B", &log), 2));
  group.append(inList(new RecordingNode("C", &log), 2));
  group.append(inList(new RecordingNode("Z", &log), 0));
  group.draw(display);
  EXPECT_EQ(log, (std::vector<std::string>{"Z", "A", "B", "C"}));
}

TEST_F(LayerGroupTest, SetDrawsGroupsBottomToTopAndSkipsHiddenOnes) {
  LayerSet set;
  set.groups[3].append(new RecordingNode("top", &log));
  set.groups[1].append(inList(new RecordingNode("g1-list3", &log), 3));
  set.groups[0].append(inList(new RecordingNode("g0-list3", &log), 3));
  set.groups[2].append(new RecordingNode("g2", &log));
  set.draw(display);
  EXPECT_EQ(log, (std::vector<std::string>{"g0-list3", "g1-list3", "g2", "top"}));

  log.clear();
  set.groups[2].visible = !set.groups[2].visible;
  set.draw(display);
  EXPECT_EQ(log, (std::vector<std::string>{"g0-list3", "g1-list3", "top"}));

  log.clear();
  set.groups[2].visible = !set.groups[2].visible;
  set.draw(display);
  EXPECT_EQ(log, (std::vector<std::string>{"g0-list3", "g1-list3", "g2", "top"}));
}

TEST_F(LayerGroupTest, PlainNodeIsVisitedAndDrawsNothing) {
  std::vector<uint8_t> pixels(8 * 4, 0x5A);
  display.width = 8;
  display.height = 4;
  display.bufferSize = 32;
  display.buffer = pixels.data();
  LayerGroup group;
  group.append(new RenderNode);
  group.append(new RecordingNode("after", &log));
  group.draw(display);
  display.buffer = nullptr;
  EXPECT_EQ(log, (std::vector<std::string>{"after"}));
  EXPECT_EQ(pixels, std::vector<uint8_t>(8 * 4, 0x5A));
}

// A node that unlinks its successor while drawing: the walk must already hold that successor.
class SkippingNode : public RenderNode {
public:
  explicit SkippingNode(RenderNode* tail) : tail(tail) {}
  void draw(Display&) override {
    saved = next;
    next = tail;
  }
  RenderNode* tail;
  RenderNode* saved = nullptr;
};

TEST_F(LayerGroupTest, WalkTakesTheSuccessorBeforeTheDraw) {
  LayerGroup group;
  SkippingNode* skipper = static_cast<SkippingNode*>(group.append(new SkippingNode(group.tails[0])));
  group.append(new RecordingNode("B", &log));
  group.draw(display);
  EXPECT_EQ(log, (std::vector<std::string>{"B"}));
  skipper->next = skipper->saved;  // relink so the group can delete B
}

// --- ownership --------------------------------------------------------------------------------

TEST_F(LayerGroupTest, DestroyingAGroupDeletesEveryNodeAndAllEightSentinels) {
  int destroyed = 0;
  auto* group = new LayerGroup;
  group->append(inList(new RecordingNode("s1", &log, &destroyed), 0));
  group->append(inList(new RecordingNode("s2", &log, &destroyed), 0));
  group->append(inList(new RecordingNode("s3", &log, &destroyed), 3));
  for (int i = 0; i < LayerGroup::kListCount; ++i) {
    watch(group->heads[i]);
    watch(group->tails[i]);
  }
  for (RenderNode* node = group->heads[0]->next; node != group->tails[0]; node = node->next) {
    watch(node);
  }
  watch(group->heads[3]->next);
  ASSERT_EQ(watchedCount, 11);
  delete group;
  EXPECT_EQ(destroyed, 3);
  for (int i = 0; i < watchedCount; ++i) {
    EXPECT_EQ(watchedDeletes[i], 1) << "watched node " << i;
  }
}

TEST_F(LayerGroupTest, DestroyingASetDeletesTheNodesOfEveryGroup) {
  int destroyed = 0;
  {
    LayerSet set;
    for (int g = 0; g < LayerSet::kGroupCount; ++g) {
      set.groups[g].append(inList(new RecordingNode("n", &log, &destroyed), g));
    }
    set.groups[2].append(new RecordingNode("m", &log, &destroyed));
  }
  EXPECT_EQ(destroyed, 5);
}

}  // namespace
