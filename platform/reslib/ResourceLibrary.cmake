# vardex_resource_library(target SOURCE text OUTPUT_NAME name [DIRECTORY folder] [HOST])
# Builds a resource library "<name>.so" (no "lib" prefix: the loader looks for "<name>.so")
# from a resource text (see GenerateResources.cmake). HOST builds an object library instead,
# to be linked into a program as its own string table (the program needs ENABLE_EXPORTS).
function(vardex_resource_library target)
  cmake_parse_arguments(ARG "HOST" "SOURCE;OUTPUT_NAME;DIRECTORY" "" ${ARGN})
  set(generator ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/GenerateResources.cmake)
  get_filename_component(input ${ARG_SOURCE} ABSOLUTE)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/${target}_table.c)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${input} -DOUTPUT=${output} -P ${generator}
    DEPENDS ${input} ${generator}
    COMMENT "Generating the resource table of ${target}")
  if(ARG_HOST)
    add_library(${target} OBJECT ${output})
  else()
    add_library(${target} MODULE ${output})
    set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${ARG_OUTPUT_NAME})
    if(ARG_DIRECTORY)
      set_target_properties(${target} PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${ARG_DIRECTORY})
    endif()
  endif()
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
  # Every resource library exports the same table names; the address sanitizer would take the
  # tables of two loaded libraries for one global defined twice.
  target_compile_options(${target} PRIVATE -fno-sanitize=all)
  set_target_properties(${target} PROPERTIES C_VISIBILITY_PRESET hidden)
endfunction()
