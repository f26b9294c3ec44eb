# QCustomPlot built from its two source files where no build for this Qt is
# installed, as with Qt's own kit on Windows: KQ_QCUSTOMPLOT_SOURCE_DIR names
# the folder of qcustomplot.h and qcustomplot.cpp (QCustomPlot's "source only"
# archive). Gives the target the installed package would.
set(KQ_QCUSTOMPLOT_SOURCE_DIR "" CACHE PATH
    "Folder of qcustomplot.h and qcustomplot.cpp, built when no QCustomPlot for Qt 6 is installed")
if(NOT EXISTS "${KQ_QCUSTOMPLOT_SOURCE_DIR}/qcustomplot.cpp")
  message(FATAL_ERROR "No QCustomPlot for Qt 6 was found. Install it (Debian: libqcustomplot-dev) or set "
                      "KQ_QCUSTOMPLOT_SOURCE_DIR to the folder of qcustomplot.h and qcustomplot.cpp.")
endif()
add_library(kq_qcustomplot STATIC
  ${KQ_QCUSTOMPLOT_SOURCE_DIR}/qcustomplot.cpp ${KQ_QCUSTOMPLOT_SOURCE_DIR}/qcustomplot.h)
target_include_directories(kq_qcustomplot SYSTEM PUBLIC ${KQ_QCUSTOMPLOT_SOURCE_DIR})
target_link_libraries(kq_qcustomplot PUBLIC Qt6::Widgets Qt6::PrintSupport)
target_compile_options(kq_qcustomplot PRIVATE -w)  # not our code
set_target_properties(kq_qcustomplot PROPERTIES AUTOMOC ON)
add_library(QCustomPlotQt6::QCustomPlotQt6 ALIAS kq_qcustomplot)
