src/app/quorin_headless_autogen/timestamp: \
  /work/main/src/app/CMakeLists.txt \
  /work/main/src/app/Composition.cpp \
  /work/main/src/app/Composition.h \
  /work/main/src/app/HeadlessFrontEnd.cpp \
  /work/main/src/app/HeadlessFrontEnd.h \
  /usr/bin/cmake
