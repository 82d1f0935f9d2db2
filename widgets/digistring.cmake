# The segment display: portable geometry (cells, outlines, tracing, layout) and the Win32 control.
sp_add_library(sp_segment_cells PORTABLE
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/SegmentPath.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SegmentCell.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SevenSegmentCell.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FourteenSegmentCell.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DotCell.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SegmentDisplay.cpp
  LIBS sp_gbk)

sp_add_library(sp_digistring
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/Digistring.cpp
    ${CMAKE_CURRENT_LIST_DIR}/memdc.cpp
  LIBS sp_segment_cells sp_framework gdi32 user32)
