# Draws Orvik's bitmaps and icons with ImageMagick from the installed Tango
# icons, as the table Icons.txt says: one 16 x 15 image per button of each
# toolbar in Toolbars.rci (in button order, on the toolbars' grey key
# colour), the task-pane icons on the magenta key, the splash picture
# (600 x 335, 24 bits), the About box's picture and the document icons.
#   cmake -DCONVERT=<convert> -DSOURCE=<Toolbars.rci> -DTABLE=<Icons.txt>
#         -DTANGO=<Tango theme folder> -DVERSION=<version> -DOUT=<folder> -P MakeBitmaps.cmake
cmake_policy(VERSION 3.20)
file(MAKE_DIRECTORY "${OUT}/parts")

function(run)
  execute_process(COMMAND ${CONVERT} ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "convert failed: ${err}")
  endif()
  set(run_output "${out}" PARENT_SCOPE)
endfunction()

# Tango's palette, for the marks.
set(dark "#204a87")
set(blue "#3465a4")
set(sky "#729fcf")
set(red "#cc0000")
set(ink "#2e3436")
set(paper "#eeeeec")
set(butter "#edd400")

# Marks, in the coordinates of a 16 x 15 image.
set(arrow_h -draw "line 2,7 13,7" -draw "polygon 0,7 4,3 4,11" -draw "polygon 15,7 11,3 11,11")
set(arrow_v -draw "line 7.5,2 7.5,12" -draw "polygon 7.5,0 3.5,4 11.5,4" -draw "polygon 7.5,14 3.5,10 11.5,10")
set(mark_mirror-h -fill ${dark} -stroke ${paper} -strokewidth 1 ${arrow_h})
set(mark_mirror-v -fill ${dark} -stroke ${paper} -strokewidth 1 ${arrow_v})
# Inside the magnifier's lens, centred on 6.5, 6.5.
set(mark_lens-plus -fill ${dark} -stroke none -draw "rectangle 3,6 10,7" -draw "rectangle 6,3 7,10")
set(mark_lens-minus -fill ${dark} -stroke none -draw "rectangle 3,6 10,7")
set(mark_lens-one -fill ${dark} -stroke none -draw "rectangle 3,4 4,9" -draw "rectangle 6,5 7,6"
    -draw "rectangle 6,8 7,9" -draw "rectangle 9,4 10,9")
set(mark_focus -fill none -stroke ${red} -strokewidth 1.5
    -draw "polyline 1,5 1,1 5,1" -draw "polyline 10,1 14,1 14,5"
    -draw "polyline 1,9 1,13 5,13" -draw "polyline 10,13 14,13 14,9" -draw "point 7,7")
set(ruler_ticks -stroke ${ink} -strokewidth 1)
foreach(x 3 6 9 12)
  list(APPEND ruler_ticks -draw "line ${x}.5,5 ${x}.5,7")
endforeach()
foreach(x 4 5 7 8 10 11)
  list(APPEND ruler_ticks -draw "line ${x}.5,5 ${x}.5,5.5")
endforeach()
set(mark_ruler -fill ${butter} -stroke ${ink} -strokewidth 1 -draw "rectangle 0.5,4.5 15.5,10.5" ${ruler_ticks})
set(mark_ruler-small -fill ${butter} -stroke ${ink} -strokewidth 1 -draw "rectangle 0.5,10.5 15.5,14.5"
    -draw "line 3.5,11 3.5,12.5" -draw "line 6.5,11 6.5,12" -draw "line 9.5,11 9.5,12.5" -draw "line 12.5,11 12.5,12")
set(mark_grid -fill none -stroke ${red} -strokewidth 1
    -draw "line 5.5,1 5.5,14" -draw "line 10.5,1 10.5,14" -draw "line 1,4.5 15,4.5" -draw "line 1,9.5 15,9.5")
set(mark_rings -fill none -stroke ${red} -strokewidth 1 -draw "circle 8,7.5 8,13" -draw "circle 8,7.5 8,10.5")
set(mark_point -fill none -stroke ${ink} -strokewidth 1 -draw "line 7.5,0 7.5,5" -draw "line 7.5,10 7.5,15"
    -draw "line 0,7.5 5,7.5" -draw "line 10,7.5 15,7.5" -fill ${red} -stroke ${ink} -draw "circle 7.5,7.5 7.5,10")
set(mark_angle -fill none -stroke ${ink} -strokewidth 1.5 -draw "line 1,13.5 15,13.5" -draw "line 1,13.5 10,1"
    -stroke ${red} -strokewidth 1.2 -draw "arc -6,6.5 8,20.5 -54,0")
set(mark_rectangle -fill "${sky}80" -stroke ${dark} -strokewidth 1.3 -draw "rectangle 1.5,2.5 14.5,12.5")
set(mark_circle -fill "${sky}80" -stroke ${dark} -strokewidth 1.3 -draw "circle 8,7.5 8,14")
set(mark_polygon -fill "${sky}80" -stroke ${dark} -strokewidth 1.3 -draw "polygon 8,1 15,6 12.5,14 3.5,14 1,6")
set(mark_move -fill ${ink} -stroke none -draw "rectangle 7,3 8,12" -draw "rectangle 3,7 12,8"
    -draw "polygon 7.5,0 4.5,3.5 10.5,3.5" -draw "polygon 7.5,15 4.5,11.5 10.5,11.5"
    -draw "polygon 0,7.5 3.5,4.5 3.5,10.5" -draw "polygon 15,7.5 11.5,4.5 11.5,10.5")
# Two overlapping circles with the part the operation keeps filled.
set(circle_a "M 0.5,7 A 5,5 0 1,0 10.5,7 A 5,5 0 1,0 0.5,7 Z")
set(circle_b "M 5.5,7 A 5,5 0 1,0 15.5,7 A 5,5 0 1,0 5.5,7 Z")
set(venn_outline -fill none -stroke ${dark} -strokewidth 1 -draw "path '${circle_a}'" -draw "path '${circle_b}'")
set(mark_venn-and -fill ${sky} -stroke none -draw "path 'M 8,2.67 A 5,5 0 0,1 8,11.33 A 5,5 0 0,1 8,2.67 Z'"
    ${venn_outline})
set(mark_venn-or -fill ${sky} -stroke none -draw "path '${circle_a}'" -draw "path '${circle_b}'" ${venn_outline})
set(mark_venn-xor -fill ${sky} -stroke none -draw "fill-rule evenodd path '${circle_a} ${circle_b}'" ${venn_outline})
set(mark_times -fill ${sky} -stroke ${dark} -strokewidth 1
    -draw "polygon 3,1.5 8,6.5 13,1.5 14.5,3 9.5,8 14.5,13 13,14.5 8,9.5 3,14.5 1.5,13 6.5,8 1.5,3")
set(mark_divide -fill ${sky} -stroke ${dark} -strokewidth 1 -draw "circle 7.5,3 7.5,4.7" -draw "circle 7.5,12 7.5,13.7")
set(mark_mask -fill ${ink} -stroke ${paper} -strokewidth 1 -draw "rectangle 7.5,6.5 15.5,14.5"
    -fill ${paper} -stroke none -draw "circle 11.5,10.5 11.5,13")
set(mark_histogram -fill ${dark} -stroke ${paper} -strokewidth 1)
foreach(x 6 9 12)
  math(EXPR x1 "${x} + 2")
  list(APPEND mark_histogram -draw "rectangle ${x}.5,8.5 ${x1}.5,14.5")
endforeach()
set(mark_contrast -fill ${paper} -stroke ${ink} -strokewidth 1 -draw "circle 11.5,10.5 11.5,15"
    -fill ${ink} -stroke none -draw "path 'M 11.5,6 A 4.5,4.5 0 0,1 11.5,15 Z'")
set(mark_rgb -stroke ${ink} -strokewidth 1 -fill "#ef2929" -draw "rectangle 6.5,10.5 9.5,14.5"
    -fill "#8ae234" -draw "rectangle 9.5,10.5 12.5,14.5" -fill ${sky} -draw "rectangle 12.5,10.5 15.5,14.5")
set(mark_sharp -fill ${ink} -stroke ${paper} -strokewidth 1 -draw "polygon 8.5,14.5 12,5 15.5,14.5")
set(mark_median -stroke ${ink} -strokewidth 1 -fill ${paper})
foreach(y 8 10 12)
  foreach(x 9 11 13)
    math(EXPR x1 "${x} + 2")
    math(EXPR y1 "${y} + 2")
    list(APPEND mark_median -draw "rectangle ${x}.5,${y}.5 ${x1}.5,${y1}.5")
  endforeach()
endforeach()
list(APPEND mark_median -fill ${red} -draw "rectangle 11.5,10.5 13.5,12.5")
set(mark_burn -fill none -stroke ${red} -strokewidth 1.5 -draw "line 2,11 13,4"
    -draw "line 0.5,8.5 3.5,13.5" -draw "line 11.5,1.5 14.5,6.5")

# The changes of the table that act on the 16 x 16 picture itself.
set(op_gray -modulate 100,0)
set(op_binary -modulate 100,0 -channel RGB -threshold 55% +channel)
set(op_invert -channel RGB -negate +channel)
set(op_sharpen -channel RGB -unsharp 0x1+3+0 +channel)
set(op_emboss -channel RGB -modulate 100,0 -emboss 0x0.8 +channel)
set(op_blur -channel RGB -blur 0x1 +channel)
set(op_median -channel RGB -statistic Median 3x3 +channel)
set(op_denoise ${op_median})
set(op_equalize -channel RGB -equalize +channel)
set(op_bright -modulate 160)
set(op_contrast -channel RGB -sigmoidal-contrast 8x50% +channel)
set(op_saturate -modulate 100,300)

# The table.
file(STRINGS "${TABLE}" table REGEX "^[A-Za-z]")
set(keys)
foreach(line IN LISTS table)
  string(REGEX REPLACE "[ \t]+" ";" fields "${line}")
  list(POP_FRONT fields key picture)
  set(picture_${key} "${picture}")
  set(changes_${key} "${fields}")
  list(APPEND keys ${key})
endforeach()

function(tango icon size out)
  set(file "${TANGO}/${size}x${size}/${icon}.png")
  if(NOT EXISTS "${file}")
    message(FATAL_ERROR "${TABLE}: no Tango icon ${icon} (${file})")
  endif()
  set(${out} "${file}" PARENT_SCOPE)
endfunction()

# One image of the table, RGBA, 16 pixels wide and <height> high, as a PNG.
function(draw_image key height out)
  if(NOT DEFINED picture_${key})
    message(FATAL_ERROR "${TABLE} gives no image for ${key}")
  endif()
  set(png "${OUT}/parts/${key}.png")
  set(${out} "${png}" PARENT_SCOPE)
  set(before)
  set(after)
  foreach(change IN LISTS changes_${key})
    if(change MATCHES "^op:(.+)$")
      if(NOT DEFINED op_${CMAKE_MATCH_1})
        message(FATAL_ERROR "${TABLE}: ${key}: no operation ${CMAKE_MATCH_1}")
      endif()
      list(APPEND before ${op_${CMAKE_MATCH_1}})
    elseif(change MATCHES "^turn:(.+)$")
      list(APPEND before -rotate ${CMAKE_MATCH_1})
    elseif(change MATCHES "^badge:(.+)$")
      tango(${CMAKE_MATCH_1} 16 badge)
      math(EXPR y "${height} - 9")
      list(APPEND after "(" "${badge}" -resize 9x9 ")" -geometry +7+${y} -compose Over -composite)
    elseif(change MATCHES "^mark:(.+)$")
      if(NOT DEFINED mark_${CMAKE_MATCH_1})
        message(FATAL_ERROR "${TABLE}: ${key}: no mark ${CMAKE_MATCH_1}")
      endif()
      list(APPEND after ${mark_${CMAKE_MATCH_1}})
    else()
      message(FATAL_ERROR "${TABLE}: ${key}: unknown change ${change}")
    endif()
  endforeach()
  if(picture_${key} STREQUAL "-")
    set(base -size 16x${height} xc:none)
  else()
    tango(${picture_${key}} 16 file)
    run("${file}" -background none ${before} -gravity center -extent 16x16 +gravity "PNG32:${png}")
    # A picture that fills its whole square loses its outer ring, so that
    # the key colour shows round it on the bar.
    run("${png}" -alpha extract -threshold 30% -format "%[fx:round((1-mean)*w*h)]" info:)
    if(run_output LESS 16)
      run("${png}" -shave 1x1 -background none -gravity center -extent 16x16 +gravity "PNG32:${png}")
    endif()
    set(base "${png}")
    if(height EQUAL 15)
      # Drop the emptier of the top and bottom rows.
      run("${png}" -alpha extract "(" +clone -crop 16x1+0+0 +repage ")" "(" -clone 0 -crop 16x1+0+15 +repage ")"
          -delete 0 -format "%[fx:mean] " info:)
      separate_arguments(rows UNIX_COMMAND "${run_output}")
      list(GET rows 0 top)
      list(GET rows 1 bottom)
      if(top LESS bottom)
        list(APPEND base -crop 16x15+0+1 +repage)
      else()
        list(APPEND base -crop 16x15+0+0 +repage)
      endif()
    endif()
  endif()
  run(${base} ${after} "PNG32:${png}")
endfunction()

# Images side by side, flattened onto <key>: what is mostly transparent
# becomes the key colour, the rest is blended onto the bars' face colour.
function(strip out key)
  set(parts)
  foreach(k IN LISTS ARGN)
    list(APPEND parts "${OUT}/parts/${k}.png")
  endforeach()
  run(${parts} +append +repage -background none
      "(" -clone 0 -background "#d4d0c8" -flatten -fill "#c1c1c1" -opaque "#c0c0c0" -fill "#fe00fe" -opaque "#ff00ff" ")"
      "(" -clone 0 -alpha extract -threshold 30% ")" -delete 0 -alpha off -compose CopyOpacity -composite
      -background "${key}" -compose Over -flatten -type TrueColor "BMP3:${out}")
endfunction()

# Toolbars: the buttons of each, from the script itself.
file(STRINGS "${SOURCE}" lines)
set(ids CAMERA 163 REALTIME 165 LOGIC 167 PROCESSING 141 MEASUREMENT 143)
set(current)
set(drawn)
foreach(line IN LISTS lines)
  if(line MATCHES "^IDR_TOOLBAR_([A-Z]+) TOOLBAR")
    list(FIND ids "${CMAKE_MATCH_1}" at)
    math(EXPR at "${at} + 1")
    list(GET ids ${at} current)
    set(buttons)
  elseif(current AND line MATCHES "^ *BUTTON +([A-Z0-9_]+)")
    set(command ${CMAKE_MATCH_1})
    list(APPEND buttons ${command})
    if(NOT command IN_LIST drawn)
      draw_image(${command} 15 png)
      list(APPEND drawn ${command})
    endif()
  elseif(current AND line MATCHES "^END")
    strip("${OUT}/Toolbar${current}.bmp" "#c0c0c0" ${buttons})
    set(current)
  endif()
endforeach()

# Task-pane icons: 16 px images on magenta.
set(pane)
foreach(i RANGE 3)
  draw_image(TASKPANE_${i} 16 png)
  list(APPEND pane TASKPANE_${i})
endforeach()
strip("${OUT}/TaskPane.bmp" "#ff00ff" ${pane})

# The adjust panels' button pictures: 16 px on the buttons' face.
foreach(id 172 173 198 199)
  draw_image(BUTTON_${id} 16 png)
  strip("${OUT}/Button${id}.bmp" "#d4d0c8" BUTTON_${id})
endforeach()

# Icons, 32 and 16 pixels.
foreach(name Orvik Preview Still)
  tango(${picture_ICON_${name}} 16 small)
  tango(${picture_ICON_${name}} 32 large)
  run("${large}" "${small}" "${OUT}/${name}.ico")
endforeach()

# The splash picture: the program's name and version beside the table's
# picture, drawn large from the icon's scalable version.
set(svg "${TANGO}/scalable/${picture_SPLASH}.svg")
if(NOT EXISTS "${svg}")
  message(FATAL_ERROR "${TABLE}: no scalable Tango icon ${picture_SPLASH} (${svg})")
endif()
run(-size 600x335 "gradient:#0b2545-#3d7fb8"
    "(" -background none -density 300 "${svg}" -resize 230x230 ")" -geometry +40+52 -compose Over -composite -density 72
    -fill "#e8f1f8" -font DejaVu-Sans-Bold -pointsize 72 -annotate +300+170 "Orvik"
    -font DejaVu-Sans -pointsize 20 -annotate +304+210 "Version ${VERSION}"
    -fill "#9cc3e4" -pointsize 14 -annotate +304+246 "Imaging for USB microscope cameras"
    -type TrueColor "BMP3:${OUT}/Splash.bmp")
# The About box's banner: the same, small, above its texts.
run(-size 352x44 "gradient:#0b2545-#3d7fb8"
    "(" -background none -density 300 "${svg}" -resize 36x36 ")" -geometry +8+4 -compose Over -composite -density 72
    -fill "#e8f1f8" -font DejaVu-Sans-Bold -pointsize 20 -annotate +54+23 "Orvik"
    -font DejaVu-Sans -pointsize 10 -annotate +56+37 "Version ${VERSION}"
    -type TrueColor "BMP3:${OUT}/About.bmp")
# A right-to-left box mirrors its pictures: it gets the banner mirrored once more.
run("${OUT}/About.bmp" -flop -type TrueColor "BMP3:${OUT}/AboutMirrored.bmp")
