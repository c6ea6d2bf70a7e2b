// Render nodes, layer groups and the layer set: list links, painting order, visibility and
// ownership (a group deletes every node linked into it; that it frees its eight sentinels exactly
// once is the sanitizer build's to see).
#include "render/LayerGroup.h"
#include "render/LayerSet.h"
#include "render/RenderNode.h"

#include "display/Display.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

TEST(LayerGroup, SetPaintsGroupsThenListsThenNodesInOrderAndSkipsHiddenGroups) {
  Log log;
  Display display;
  LayerSet set;
  EXPECT_TRUE(set.groups[2].visible);
  set.groups[3].append(new RecordingNode("top", &log));
  set.groups[1].append(new RecordingNode("g1-list3", &log, 3));
  set.groups[0].append(new RecordingNode("g0-list3", &log, 3));
  set.groups[0].append(new RenderNode);  // a plain node draws nothing
  RenderNode* first = new RecordingNode("g0-list1-a", &log, 1);
  EXPECT_EQ(set.groups[0].append(first), first);
  set.groups[0].append(new RecordingNode("g0-list1-b", &log, 1));
  set.groups[2].append(new RecordingNode("g2", &log));
  // Nodes a group cannot link stay with the caller.
  RecordingNode outside("X", &log, 4);
  EXPECT_EQ(set.groups[0].append(&outside), nullptr);
  outside.listIndex = -1;
  EXPECT_EQ(set.groups[1].append(&outside), nullptr);
  EXPECT_EQ(set.groups[0].append(nullptr), nullptr);
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

TEST(LayerGroup, DestroyingAGroupOrASetDeletesEveryNode) {
  Log log;
  int destroyed = 0;
  auto* group = new LayerGroup;
  group->append(new RecordingNode("s1", &log, 0, &destroyed));
  group->append(new RecordingNode("s2", &log, 0, &destroyed));
  group->append(new RecordingNode("s3", &log, 3, &destroyed));
  delete group;
  EXPECT_EQ(destroyed, 3);
  {
    LayerSet set;
    for (int g = 0; g < LayerSet::kGroupCount; ++g) set.groups[g].append(new RecordingNode("n", &log, g, &destroyed));
  }
  EXPECT_EQ(destroyed, 3 + 4);
}

}  // namespace
