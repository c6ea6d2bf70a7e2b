// BlendModesTest
