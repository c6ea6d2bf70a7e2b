// BlendTables
