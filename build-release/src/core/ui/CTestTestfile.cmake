# CMake generated Testfile for 
# Source directory: /work/main/src/core/ui
# Build directory: /work/main/build-release/src/core/ui
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
