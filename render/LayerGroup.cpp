// LayerGroup
