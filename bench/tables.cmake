# Blend-table computation: the fast method beside the plain full-scan formulas.
brumal_bench(tables_bench SOURCES TablesBench.cpp LIBS render)
