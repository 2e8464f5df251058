# CMake generated Testfile for 
# Source directory: /work/main/src/dialer_sim
# Build directory: /work/main/build-release/src/dialer_sim
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
