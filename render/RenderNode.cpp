// RenderNode
