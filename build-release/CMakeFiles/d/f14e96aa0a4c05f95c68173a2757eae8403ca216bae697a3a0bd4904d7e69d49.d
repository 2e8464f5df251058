src/dialer_sim/quorin-dialer-sim_autogen/timestamp: \
  /work/main/src/dialer_sim/CMakeLists.txt \
  /work/main/src/dialer_sim/main.cpp \
  /usr/bin/cmake
