# Fails unless registConvert is the one symbol the plug-in library defines
# in its dynamic symbol table. Run with -DNM=<nm> -DLIBRARY=<file>.
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
  OUTPUT_VARIABLE listing RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${listing}")
set(names "")
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^.* " "" name "${line}")
  list(APPEND names "${name}")
endforeach()
if(NOT names STREQUAL "registConvert")
  message(FATAL_ERROR "exported: ${names}; only registConvert may be")
endif()
