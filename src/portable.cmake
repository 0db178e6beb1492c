# Sources free of <windows.h>: they build natively and run under sanitizers.
# The Windows build compiles them too, as part of the program.
set(RB_PORTABLE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/framework/CString.cpp
  ${CMAKE_CURRENT_LIST_DIR}/framework/Time.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core/StrUtil.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core/ConfigText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core/FileErrorText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core/PictureCheck.cpp
  ${CMAKE_CURRENT_LIST_DIR}/board/TextPlacement.cpp
  ${CMAKE_CURRENT_LIST_DIR}/controls/PaletteNav.cpp
  ${CMAKE_CURRENT_LIST_DIR}/data/RateParser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/data/RateText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/data/WeatherScraper.cpp
  ${CMAKE_CURRENT_LIST_DIR}/data/HttpBody.cpp
  ${CMAKE_CURRENT_LIST_DIR}/data/RetrySchedule.cpp
  ${CMAKE_CURRENT_LIST_DIR}/board/ClockWeatherPlan.cpp
  ${CMAKE_CURRENT_LIST_DIR}/board/Screens.cpp
)
