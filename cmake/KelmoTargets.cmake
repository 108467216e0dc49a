# Helpers that every folder's CMakeLists.txt uses, so that a folder says only
# what it holds and what it links.

# kelmo_library(<folder-name> [LINK libs...])
# A static library kelmo_<folder-name> from the *.cpp files of the calling
# folder (sub-folders but main/ included); headers are included through the
# parent folder with the library's folder name ("dbf/table_file.h"), or by
# plain name from within the folder itself. A folder without sources yet gives
# an interface library.
function(kelmo_library name)
  cmake_parse_arguments(KL "" "" "LINK" ${ARGN})
  file(GLOB_RECURSE _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  file(GLOB_RECURSE _hdr CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  # A folder's main/ holds program entry points, not library code.
  set(_lib_src)
  foreach(f IN LISTS _src)
    file(RELATIVE_PATH _rel ${CMAKE_CURRENT_SOURCE_DIR} ${f})
    if(NOT _rel MATCHES "^main/")
      list(APPEND _lib_src ${f})
    endif()
  endforeach()
  set(_src ${_lib_src})
  if(_src)
    add_library(kelmo_${name} STATIC ${_src} ${_hdr})
    get_filename_component(_root ${CMAKE_CURRENT_SOURCE_DIR} DIRECTORY)
    target_include_directories(kelmo_${name} PUBLIC ${_root})
    target_link_libraries(kelmo_${name} PUBLIC ${KL_LINK})
    target_compile_options(kelmo_${name} PRIVATE -Wall -Wextra)
    # The libraries under lib/ and platform/ compile in batches (see
    # KelmoBuildSpeed.cmake); the application's folders, which grow daily and
    # keep many small helpers of common names to themselves, file by file.
    file(RELATIVE_PATH _from_top ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
    if(KELMO_UNITY_BUILD AND _from_top MATCHES "^(lib|platform)/")
      set_target_properties(kelmo_${name} PROPERTIES UNITY_BUILD ON
                            UNITY_BUILD_BATCH_SIZE ${KELMO_UNITY_BATCH_SIZE})
    endif()
  else()
    add_library(kelmo_${name} INTERFACE)
    get_filename_component(_root ${CMAKE_CURRENT_SOURCE_DIR} DIRECTORY)
    target_include_directories(kelmo_${name} INTERFACE ${_root})
    target_link_libraries(kelmo_${name} INTERFACE ${KL_LINK})
  endif()
endfunction()

# kelmo_moc_if_needed(<target> files...)
# Runs moc over a program's sources only when one of them (or the header of
# the same name beside it) declares a Q_OBJECT, Q_GADGET or Q_NAMESPACE: for
# the test programs, fuzzers and benchmarks, which seldom do, the automatic
# moc step and its empty compilation cost more than the program's own compile.
# The files are read when CMake configures (scripts/build always does).
function(kelmo_moc_if_needed target)
  foreach(f IN LISTS ARGN)
    get_filename_component(f ${f} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    get_filename_component(_beside ${f} NAME_WE)
    get_filename_component(_dir ${f} DIRECTORY)
    foreach(g IN ITEMS ${f} ${_dir}/${_beside}.h)
      if(EXISTS ${g})
        file(STRINGS ${g} _moc REGEX "Q_OBJECT|Q_GADGET|Q_NAMESPACE" LIMIT_COUNT 1)
        if(_moc)
          return()
        endif()
      endif()
    endforeach()
  endforeach()
  set_target_properties(${target} PROPERTIES AUTOMOC OFF)
endfunction()

# kelmo_fuzzer(<name> SOURCES files... LINK libs... LABEL label [SECONDS n] [CORPUS dir])
# Under clang (the fuzz build) a libFuzzer binary that a test runs for a
# bounded time over a copy of the corpus; under GCC the same entry point
# linked with a small driver that replays the corpus once, so the main build
# keeps every corpus file as a regression case.
function(kelmo_fuzzer name)
  cmake_parse_arguments(KF "" "LABEL;SECONDS;CORPUS" "SOURCES;LINK" ${ARGN})
  if(NOT KF_SECONDS)
    set(KF_SECONDS 20)
  endif()
  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    add_executable(${name} ${KF_SOURCES})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${name} PRIVATE ${KF_LINK})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
    add_test(NAME ${name}
             COMMAND ${CMAKE_SOURCE_DIR}/cmake/run-fuzzer $<TARGET_FILE:${name}> ${KF_SECONDS} "${KF_CORPUS}")
    # The longer runs first, so that the short ones fill in at the end.
    set_tests_properties(${name} PROPERTIES LABELS "${KF_LABEL};fuzz" TIMEOUT 600 COST ${KF_SECONDS})
  else()
    add_executable(${name} ${KF_SOURCES} ${CMAKE_SOURCE_DIR}/cmake/fuzz_replay.cpp)
    kelmo_moc_if_needed(${name} ${KF_SOURCES})
    target_link_libraries(${name} PRIVATE ${KF_LINK})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
    if(KF_CORPUS)
      add_test(NAME ${name}_replay COMMAND ${name} ${KF_CORPUS})
      set_tests_properties(${name}_replay PROPERTIES LABELS "${KF_LABEL}")
    endif()
  endif()
endfunction()

# kelmo_bench(<name> SOURCES files... LINK libs...)
# A benchmark program in bin/; benchmarks print their figures and are not tests.
function(kelmo_bench name)
  cmake_parse_arguments(KB "" "" "SOURCES;LINK" ${ARGN})
  add_executable(${name} ${KB_SOURCES})
  kelmo_moc_if_needed(${name} ${KB_SOURCES})
  target_link_libraries(${name} PRIVATE ${KB_LINK})
endfunction()
