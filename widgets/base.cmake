# CBDialog, CColorStatic, CMoveControl and the layout arithmetic they rest on.

# Portable: built in both presets, so the native one checks it with sanitizers.
sp_add_library(sp_widgets_layout PORTABLE SOURCES ${CMAKE_CURRENT_LIST_DIR}/LayoutMath.cpp)
if(NOT SP_NATIVE)
  # Every single-precision step is rounded to single precision on the x87 unit as well, so the
  # positions are the same as on the host build.
  target_compile_options(sp_widgets_layout PRIVATE -ffloat-store)
endif()

sp_add_library(sp_widgets_base
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/BDialog.cpp ${CMAKE_CURRENT_LIST_DIR}/ColorStatic.cpp
          ${CMAKE_CURRENT_LIST_DIR}/MoveControl.cpp
  LIBS sp_widgets_layout sp_framework gdi32 user32)
