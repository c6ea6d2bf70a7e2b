#include "render/RenderNode.h"

RenderNode::RenderNode() : listIndex(0), next(nullptr), prev(nullptr) {}

RenderNode::~RenderNode() {}

void RenderNode::draw(Display&) {}
