# irhost serve as a program with the real plug-in, driven by the OneBot implementation stand-in
# over loopback; a bare WebSocket answerer on the same stand-in gives the floor.
if(TARGET irhost AND TARGET irstubs_onebot)
  file(GENERATE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/generated/bench/onebot_files.h
       CONTENT "#pragma once\n#define IRHOST_PROGRAM \"$<TARGET_FILE:irhost>\"\n#define PLUGIN_LIBRARY \"$<TARGET_FILE:irplugin>\"\n")
  ir_add_bench(bench_onebot SOURCES onebot_bench.cpp LIBS irstubs_onebot)
  target_include_directories(bench_onebot PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/generated)
  target_compile_options(bench_onebot PRIVATE -Wshadow -Wunused-parameter)
  add_dependencies(bench_onebot irhost irplugin)
endif()
