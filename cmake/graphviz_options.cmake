# What scripts/architecture-graph draws: the project's libraries and programs,
# without tests, benchmarks, fuzz targets or outside libraries.
set(GRAPHVIZ_GRAPH_NAME "kq_unloader")
set(GRAPHVIZ_EXTERNAL_LIBS OFF)
set(GRAPHVIZ_GENERATE_PER_TARGET OFF)
set(GRAPHVIZ_GENERATE_DEPENDERS OFF)
set(GRAPHVIZ_IGNORE_TARGETS "_test" "_tests$" "_bench$" "_run$" "^make_" "^window_downloads$" "^gtest" "^gmock" "_fuzz")
