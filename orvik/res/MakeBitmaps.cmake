# Draws Orvik's bitmaps and icons with ImageMagick: one 16 x 15 image per
# button of each toolbar in Toolbars.rci (in button order, on the toolbars'
# grey key colour), the task-pane icons on the magenta key, the splash
# picture (600 x 335, 24 bits) and the document icons.
#   cmake -DCONVERT=<convert> -DSOURCE=<Toolbars.rci> -DOUT=<folder> -P MakeBitmaps.cmake
file(MAKE_DIRECTORY "${OUT}")
set(palette "#1f5fbf" "#2e9e4f" "#c0392b" "#d68910" "#7d3c98" "#138d90" "#5d6d7e" "#a04000")

function(run)
  execute_process(COMMAND ${CONVERT} ${ARGN} RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "convert failed: ${err}")
  endif()
endfunction()

# Buttons per toolbar, counted from the script itself.
file(STRINGS "${SOURCE}" lines)
set(ids CAMERA 163 REALTIME 165 LOGIC 167 PROCESSING 141 MEASUREMENT 143)
set(bars)
set(current)
foreach(line IN LISTS lines)
  if(line MATCHES "^IDR_TOOLBAR_([A-Z]+) TOOLBAR")
    list(FIND ids "${CMAKE_MATCH_1}" at)
    math(EXPR at "${at} + 1")
    list(GET ids ${at} current)
    set(count_${current} 0)
  elseif(current AND line MATCHES "^ *BUTTON ")
    math(EXPR count_${current} "${count_${current}} + 1")
  elseif(current AND line MATCHES "^END")
    list(APPEND bars ${current})
    set(current)
  endif()
endforeach()
foreach(id IN LISTS bars)
  set(n ${count_${id}})
  math(EXPR width "${n} * 16")
  set(draw)
  math(EXPR last "${n} - 1")
  foreach(i RANGE ${last})
    math(EXPR x0 "${i} * 16 + 1")
    math(EXPR x1 "${i} * 16 + 14")
    math(EXPR cx "${i} * 16 + 8")
    math(EXPR c "(${i} + ${id}) % 8")
    list(GET palette ${c} colour)
    list(APPEND draw -fill "${colour}" -stroke "#202020" -draw "roundrectangle ${x0},1 ${x1},13 2,2")
    math(EXPR shape "(${i} + ${id}) % 4")
    math(EXPR l "${cx} - 3")
    math(EXPR r "${cx} + 3")
    if(shape EQUAL 0)
      list(APPEND draw -fill white -stroke none -draw "circle ${cx},7 ${cx},10")
    elseif(shape EQUAL 1)
      list(APPEND draw -fill white -stroke none -draw "rectangle ${l},4 ${r},10")
    elseif(shape EQUAL 2)
      list(APPEND draw -stroke white -draw "line ${l},4 ${r},10" -draw "line ${l},10 ${r},4")
    else()
      list(APPEND draw -fill white -stroke none -draw "polygon ${cx},3 ${r},10 ${l},10")
    endif()
  endforeach()
  run(-size ${width}x15 "xc:#c0c0c0" +antialias ${draw} -type TrueColor "BMP3:${OUT}/Toolbar${id}.bmp")
endforeach()

# Task-pane icons: four 16 px images on magenta.
run(-size 64x16 "xc:#ff00ff" +antialias
    -fill "#1f5fbf" -draw "rectangle 2,3 13,12"
    -fill "#2e9e4f" -draw "circle 24,8 24,13"
    -fill "#c0392b" -draw "polygon 40,2 46,13 34,13"
    -fill "#d68910" -draw "rectangle 50,6 61,9" -draw "rectangle 54,2 57,13"
    -type TrueColor "BMP3:${OUT}/TaskPane.bmp")

# Splash picture.
run(-size 600x335 "gradient:#0b2545-#3d7fb8" +antialias
    -fill none -stroke "#e8f1f8" -strokewidth 6 -draw "circle 150,167 150,77"
    -stroke "#9cc3e4" -strokewidth 3 -draw "circle 150,167 150,117"
    -fill "#e8f1f8" -stroke none -draw "rectangle 280,140 560,150" -draw "rectangle 280,170 480,176"
    -type TrueColor "BMP3:${OUT}/Splash.bmp")

# Icons, 32 and 16 pixels.
foreach(icon "Orvik:#1f5fbf" "Preview:#2e9e4f" "Still:#d68910")
  string(REPLACE ":" ";" icon "${icon}")
  list(GET icon 0 name)
  list(GET icon 1 colour)
  run(-size 32x32 xc:none -fill "${colour}" -draw "roundrectangle 1,1 30,30 6,6"
      -fill white -draw "circle 16,16 16,24" -fill "${colour}" -draw "circle 16,16 16,20"
      -define icon:auto-resize=32,16 "${OUT}/${name}.ico")
endforeach()
