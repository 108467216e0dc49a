# Settings that make a build quicker without changing what it builds.

# Link with LLD when the compiler can (scripts/packages/base.list installs it):
# the test programs and the program link the large static libraries, and LLD
# links them several times faster than the system linker.
include(CheckLinkerFlag)
check_linker_flag(CXX -fuse-ld=lld KELMO_HAVE_LLD)
if(KELMO_HAVE_LLD)
  add_link_options(-fuse-ld=lld)
endif()

# The libraries compile their sources in batches (a unity build): most of a
# file's compile time goes to the Qt and standard headers, which a batch reads
# once. The files of a batch share one translation unit, so the names a file
# keeps to itself (static, anonymous namespace) must not clash with those of
# another file of the same library; a file that cannot share opts out with
#   set_source_files_properties(file.cpp PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
option(KELMO_UNITY_BUILD "Compile each library's sources in batches" ON)
set(KELMO_UNITY_BATCH_SIZE 8 CACHE STRING "Sources in one batch of the unity build")
