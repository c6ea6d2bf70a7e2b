// FileLoader
