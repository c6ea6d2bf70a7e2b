// LayerGroupTest
