# Renders README.md as a whole HTML page: cmake -DCMARK_GFM=... -DZRODLO=README.md
# -DCEL=README.html -P strona.cmake. The page names its encoding, so that a browser
# opening it from disk shows the Polish letters whatever its default.
execute_process(
  COMMAND ${CMARK_GFM} --extension table --extension autolink --to html ${ZRODLO}
  OUTPUT_VARIABLE tresc
  COMMAND_ERROR_IS_FATAL ANY)
file(WRITE ${CEL}
     "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n"
     "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
     "<title>Znakomat</title>\n"
     "<style>body { max-width: 50em; margin: 2em auto; padding: 0 1em; font-family: sans-serif; }"
     " table { border-collapse: collapse; } td, th { border: 1px solid #999; padding: 0.2em 0.5em; }"
     " pre { overflow-x: auto; }</style>\n</head>\n<body>\n"
     "${tresc}</body>\n</html>\n")
