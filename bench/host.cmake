# One event through the plug-in's export, the library loaded the way a host loads it.
if(TARGET irtestsupport)
  ir_add_bench(bench_host SOURCES host_bench.cpp LIBS irtestsupport irtext)
endif()
