src/app/quorin-db-server_autogen/timestamp: \
  /work/main/src/app/CMakeLists.txt \
  /work/main/src/app/WindowsFrontEnd.cpp \
  /work/main/src/app/main.cpp \
  /usr/bin/cmake
