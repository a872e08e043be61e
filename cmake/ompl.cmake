# OMPL, the peer that the planner's tests and benchmarks compare with; never linked into the
# product.  Its package names no target: the target gets its headers (without /usr/include,
# which must stay a plain system folder) and its library, the first of OMPL_LIBRARIES (the
# rest, Boost's development links, need not be installed: libompl finds its own at run time).
find_package(ompl REQUIRED)
function(agv_use_ompl target)
  set(dirs ${OMPL_INCLUDE_DIRS})
  list(REMOVE_ITEM dirs /usr/include)
  list(GET OMPL_LIBRARIES 0 lib)
  target_include_directories(${target} SYSTEM PRIVATE ${dirs})
  target_link_libraries(${target} PRIVATE ${lib})
endfunction()
