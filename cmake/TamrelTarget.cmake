# tamrel_target(<target>): the language level, warnings and sanitizers every target of the
# project gets. Flags are attached to the target, never set globally.
function(tamrel_target target)
  target_compile_features(${target} PUBLIC cxx_std_20)
  set_target_properties(${target} PROPERTIES CXX_EXTENSIONS OFF POSITION_INDEPENDENT_CODE ON)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion -Wold-style-cast
    -Wnon-virtual-dtor -Woverloaded-virtual -Wnull-dereference -Wformat=2 -Wimplicit-fallthrough)
  if(TAMREL_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(TAMREL_SANITIZE STREQUAL "address")
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
                                             -fno-sanitize-recover=undefined)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  elseif(TAMREL_SANITIZE STREQUAL "thread")
    target_compile_options(${target} PRIVATE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=thread)
  elseif(NOT TAMREL_SANITIZE STREQUAL "")
    message(FATAL_ERROR "TAMREL_SANITIZE must be empty, address or thread")
  endif()
endfunction()

# tamrel_test(<name> LABELS <labels...> SOURCES <files...> LIBS <libs...>): one GoogleTest
# executable whose cases CTest runs one by one, labelled for selection (unit, integration,
# slow, threads).
function(tamrel_test name)
  cmake_parse_arguments(T "" "" "LABELS;SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  tamrel_target(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  # gtest_discover_tests would split a list of labels into separate properties, so the labels
  # are applied by a script that runs after discovery, when the test names are known.
  gtest_discover_tests(${name} TEST_LIST ${name}_TESTS PROPERTIES TIMEOUT 120
                       DISCOVERY_TIMEOUT 60)
  set(label_script "${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake")
  file(WRITE "${label_script}"
       "foreach(t IN LISTS ${name}_TESTS)\n"
       "  set_tests_properties(\"\${t}\" PROPERTIES LABELS \"${T_LABELS}\")\n"
       "endforeach()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${label_script}")
endfunction()
