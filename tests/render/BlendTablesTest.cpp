// BlendTablesTest
