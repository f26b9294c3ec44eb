# muparser for the Windows build: no mingw-w64 package of it exists, so its
# Debian source package (the version the Linux build links) is fetched once
# into the user's cache and built here as a static library.
set(KQ_MUPARSER_CACHE "$ENV{HOME}/.cache/kq-unloader/sources/muparser")
execute_process(
  COMMAND ${PROJECT_SOURCE_DIR}/scripts/fetch-debian-source muparser ${KQ_MUPARSER_CACHE}
  OUTPUT_VARIABLE KQ_MUPARSER_SOURCE OUTPUT_STRIP_TRAILING_WHITESPACE
  RESULT_VARIABLE fetched)
if(NOT fetched EQUAL 0 OR NOT EXISTS "${KQ_MUPARSER_SOURCE}/src/muParser.cpp")
  message(FATAL_ERROR "muparser's Debian source could not be fetched into ${KQ_MUPARSER_CACHE}")
endif()

add_library(kq_muparser STATIC
  ${KQ_MUPARSER_SOURCE}/src/muParser.cpp ${KQ_MUPARSER_SOURCE}/src/muParserBase.cpp
  ${KQ_MUPARSER_SOURCE}/src/muParserBytecode.cpp ${KQ_MUPARSER_SOURCE}/src/muParserCallback.cpp
  ${KQ_MUPARSER_SOURCE}/src/muParserError.cpp ${KQ_MUPARSER_SOURCE}/src/muParserTokenReader.cpp)
target_include_directories(kq_muparser SYSTEM PUBLIC ${KQ_MUPARSER_SOURCE}/include)
target_compile_definitions(kq_muparser PUBLIC MUPARSER_STATIC)
target_compile_options(kq_muparser PRIVATE -w)  # not our code: its warnings are upstream's
add_library(muparser::muparser ALIAS kq_muparser)
