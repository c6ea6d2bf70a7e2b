// LayerSet
