# Settings that make a build quicker without changing what it builds.

# Link with LLD when the compiler can (scripts/packages/base.list installs it):
# the test programs and the program link the large static libraries, and LLD
# links them several times faster than the system linker.
include(CheckLinkerFlag)
check_linker_flag(CXX -fuse-ld=lld KELMO_HAVE_LLD)
if(KELMO_HAVE_LLD)
  add_link_options(-fuse-ld=lld)
endif()
