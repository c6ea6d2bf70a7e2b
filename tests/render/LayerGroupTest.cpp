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

// Deletions of watched addresses are counted, so the test sees the group delete its sentinels
// (plain RenderNodes it allocated itself) exactly once each. Every plain allocation form is
// replaced as a set, so the forms still pair up; not inlined, so the compiler pairs them as the
// replaced operators they are rather than as malloc and free seen through them.
namespace {
const void* watched[32];
int watchedDeletes[32];
int watchedCount = 0;

__attribute__((noinline)) void* allocate(std::size_t size) noexcept {
  return std::malloc(size ? size : 1);
}
__attribute__((noinline)) void release(void* block) noexcept {
  for (int i = 0; i < watchedCount; ++i) watchedDeletes[i] += watched[i] == block;
  std::free(block);
}
}  // namespace

void* operator new(std::size_t size) {
  void* block = allocate(size);
  if (!block) throw std::bad_alloc();
  return block;
}
void* operator new[](std::size_t size) {
  return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return allocate(size);
}
void operator delete(void* block) noexcept {
  release(block);
}
void operator delete[](void* block) noexcept {
  release(block);
}
void operator delete(void* block, std::size_t) noexcept {
  release(block);
}
void operator delete[](void* block, std::size_t) noexcept {
  release(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
  release(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
  release(block);
}

namespace {

// Logs its name when drawn and counts its own destruction.
class RecordingNode : public RenderNode {
public:
  RecordingNode(std::string name, std::vector<std::string>* log, int32_t list = 0, int* destroyed = nullptr)
      : name(std::move(name)), log(log), destroyed(destroyed) {
    listIndex = list;
  }
  ~RecordingNode() override {
    if (destroyed) ++*destroyed;
  }
  void draw(Display&) override { log->push_back(name); }

  std::string name;
  std::vector<std::string>* log;
  int* destroyed;
};

using Log = std::vector<std::string>;

TEST(LayerGroup, AppendLinksBeforeTheTailAndRefusesWhatItCannotLink) {
  Log log;
  LayerGroup group;
  EXPECT_TRUE(group.visible);
  RecordingNode* a = new RecordingNode("A", &log, 2);
  RecordingNode* b = new RecordingNode("B", &log, 2);
  EXPECT_EQ(group.append(a), a);
  EXPECT_EQ(group.append(b), b);
  const std::vector<RenderNode*> chain = {group.heads[2], a, b, group.tails[2]};
  for (size_t i = 0; i + 1 < chain.size(); ++i) {
    EXPECT_EQ(chain[i]->next, chain[i + 1]) << i;
    EXPECT_EQ(chain[i + 1]->prev, chain[i]) << i;
  }
  RecordingNode outside("X", &log, 4);
  EXPECT_EQ(group.append(&outside), nullptr);
  outside.listIndex = -1;
  EXPECT_EQ(group.append(&outside), nullptr);
  EXPECT_EQ(group.append(nullptr), nullptr);
  EXPECT_EQ(outside.next, nullptr);
  // The other lists stay empty, each between sentinels of its own.
  for (int i : {0, 1, 3}) {
    EXPECT_EQ(group.heads[i]->next, group.tails[i]);
    EXPECT_EQ(group.tails[i]->prev, group.heads[i]);
    EXPECT_NE(group.heads[i], group.heads[2]);
  }
}

TEST(LayerGroup, SetPaintsGroupsThenListsThenNodesInOrderAndSkipsHiddenGroups) {
  Log log;
  Display display;
  LayerSet set;
  set.groups[3].append(new RecordingNode("top", &log));
  set.groups[1].append(new RecordingNode("g1-list3", &log, 3));
  set.groups[0].append(new RecordingNode("g0-list3", &log, 3));
  set.groups[0].append(new RenderNode);  // a plain node draws nothing
  set.groups[0].append(new RecordingNode("g0-list1-a", &log, 1));
  set.groups[0].append(new RecordingNode("g0-list1-b", &log, 1));
  set.groups[2].append(new RecordingNode("g2", &log));
  set.draw(display);
  EXPECT_EQ(log, (Log{"g0-list1-a", "g0-list1-b", "g0-list3", "g1-list3", "g2", "top"}));
  log.clear();
  set.groups[2].visible = false;
  set.draw(display);
  EXPECT_EQ(log, (Log{"g0-list1-a", "g0-list1-b", "g0-list3", "g1-list3", "top"}));
}

// A node that unlinks its successor while drawing: the walk must already hold that successor.
class SkippingNode : public RenderNode {
public:
  void draw(Display&) override {
    saved = next;
    next = next->next;
  }
  RenderNode* saved = nullptr;
};

TEST(LayerGroup, WalkTakesTheSuccessorBeforeTheDraw) {
  Log log;
  Display display;
  LayerGroup group;
  SkippingNode* skipper = static_cast<SkippingNode*>(group.append(new SkippingNode));
  group.append(new RecordingNode("B", &log));
  group.draw(display);
  EXPECT_EQ(log, (Log{"B"}));
  skipper->next = skipper->saved;  // relink so the group can delete B
}

TEST(LayerGroup, DestroyingAGroupOrASetDeletesEveryNodeAndEverySentinelOnce) {
  Log log;
  int destroyed = 0;
  auto* group = new LayerGroup;
  group->append(new RecordingNode("s1", &log, 0, &destroyed));
  group->append(new RecordingNode("s2", &log, 0, &destroyed));
  group->append(new RecordingNode("s3", &log, 3, &destroyed));
  watchedCount = 0;
  for (int i = 0; i < LayerGroup::kListCount; ++i) {
    for (RenderNode* node = group->heads[i]; node; node = node->next) watched[watchedCount++] = node;
  }
  std::fill(watchedDeletes, watchedDeletes + watchedCount, 0);
  ASSERT_EQ(watchedCount, 11);
  delete group;
  for (int i = 0; i < watchedCount; ++i) EXPECT_EQ(watchedDeletes[i], 1) << "watched node " << i;
  watchedCount = 0;
  EXPECT_EQ(destroyed, 3);
  {
    LayerSet set;
    for (int g = 0; g < LayerSet::kGroupCount; ++g) set.groups[g].append(new RecordingNode("n", &log, g, &destroyed));
  }
  EXPECT_EQ(destroyed, 3 + 4);
}

}  // namespace
