# Runs the asset generator twice into fresh folders and checks the result:
# every file the game loads by name exists, each is a real file of its kind
# (PNG, RIFF WAV, MP3 with a LAME/Info tag, Metasequoia text), the pictures
# drawn at fixed places have their sizes, and both runs wrote the same bytes.
#   cmake -DGENERATOR=... -DWORK_DIR=... -P check_generated_data.cmake
if(NOT GENERATOR OR NOT WORK_DIR)
  message(FATAL_ERROR "GENERATOR and WORK_DIR must be given")
endif()

file(REMOVE_RECURSE ${WORK_DIR})
foreach(run first second)
  execute_process(COMMAND ${GENERATOR} ${WORK_DIR}/${run}/dat RESULT_VARIABLE status OUTPUT_VARIABLE output
                  ERROR_VARIABLE output)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "generator failed (${status}): ${output}")
  endif()
endforeach()
set(DAT ${WORK_DIR}/first/dat)

# The names the game asks for (written out here, not taken from the generator).
set(colours red green blue yellow purple lightblue ozyama)
set(expected image/title.png image/bg.png mask/circle.png)
foreach(name menu gameover stageclear save_highscore ready go hold_waku hold next_waku next menu_bg
             window1_bg window1_waku cursor_down cursor_right cursor_left
             title_showreplay_ng title_showreplay_f_ng title_registranking_ng title_registranking_f_ng)
  list(APPEND expected image/ui_parts/${name}.png)
endforeach()
foreach(button play showreplay registranking showranking option howtoplay quit plimomode yoikomode wanpakumode)
  list(APPEND expected image/ui_parts/title_${button}.png image/ui_parts/title_${button}_f.png)
endforeach()
foreach(colour ${colours})
  list(APPEND expected image/ui_parts/plimoball_${colour}.png plimo_${colour}.mqo plimo_${colour}_h.mqo)
endforeach()
list(APPEND expected waku.mqo shibafu.mqo renga.mqo renga.png)
# The program's icon: the window's, and the desktop's at each hicolor size.
set(icon_sizes 48 64 128 256)
foreach(size ${icon_sizes})
  list(APPEND expected icon/plimoball-${size}.png)
endforeach()
foreach(sound se017-0006.wav get_50.wav bom10.wav tm2_laser001.wav crash25.wav power32.wav mecha20.wav
              ok1a.mp3 ok1b.mp3 cursor00_a.wav shoot16_b.wav quiz1.wav hit76_d.wav power31.wav
              tm2_quiz000good.wav PutA@22.wav pochi01@11.wav tm2_quiz004.wav power04.wav pi14.wav chain.wav levelup.wav
              bgml031.mp3 bgml001.mp3 tamco03.mp3)
  list(APPEND expected sound/${sound})
endforeach()

set(problems "")
foreach(name ${expected})
  if(NOT EXISTS ${DAT}/${name})
    string(APPEND problems "missing: ${name}\n")
    continue()
  endif()
  file(READ ${DAT}/${name} head LIMIT 40 HEX)
  if(name MATCHES "\\.png$")
    if(NOT head MATCHES "^89504e470d0a1a0a")
      string(APPEND problems "not a PNG: ${name}\n")
    endif()
  elseif(name MATCHES "\\.wav$")
    # RIFF....WAVEfmt , PCM (1), 16 bits, 44100 Hz
    string(SUBSTRING "${head}" 0 8 riff)
    string(SUBSTRING "${head}" 16 16 wave)
    string(SUBSTRING "${head}" 40 4 format)
    string(SUBSTRING "${head}" 48 8 rate)
    string(SUBSTRING "${head}" 68 4 bits)
    if(NOT riff STREQUAL "52494646" OR NOT wave STREQUAL "57415645666d7420" OR NOT format STREQUAL "0100"
       OR NOT rate STREQUAL "44ac0000" OR NOT bits STREQUAL "1000")
      string(APPEND problems "not 16-bit 44100 Hz PCM WAV: ${name}\n")
    endif()
  elseif(name MATCHES "\\.mp3$")
    file(READ ${DAT}/${name} first_frame LIMIT 400 HEX)  # "Info" / "Xing" in the first frame
    if(NOT head MATCHES "^fff" OR NOT (first_frame MATCHES "496e666f" OR first_frame MATCHES "58696e67"))
      string(APPEND problems "not an MP3 starting with a LAME/Info frame: ${name}\n")
    endif()
  elseif(name MATCHES "\\.mqo$")
    file(STRINGS ${DAT}/${name} lines LIMIT_COUNT 2)
    if(NOT lines STREQUAL "Metasequoia Document;Format Text Ver 1.0")
      string(APPEND problems "not a Metasequoia text file: ${name}\n")
    endif()
  endif()
endforeach()

# Pictures the game places at fixed screen positions.
function(check_size name width height)
  file(READ ${DAT}/${name} ihdr OFFSET 16 LIMIT 8 HEX)
  string(SUBSTRING "${ihdr}" 0 8 w_hex)
  string(SUBSTRING "${ihdr}" 8 8 h_hex)
  math(EXPR w "0x${w_hex}")
  math(EXPR h "0x${h_hex}")
  if(NOT w EQUAL width OR NOT h EQUAL height)
    set(problems "${problems}${name} is ${w}x${h}, expected ${width}x${height}\n" PARENT_SCOPE)
  endif()
endfunction()
if(problems STREQUAL "")
  check_size(image/title.png 640 480)
  check_size(image/bg.png 640 480)
  check_size(image/ui_parts/menu.png 266 480)
  check_size(image/ui_parts/plimoball_red.png 44 44)
  check_size(image/ui_parts/title_play.png 260 44)
  check_size(image/ui_parts/title_wanpakumode_f.png 260 44)
  check_size(image/ui_parts/window1_bg.png 64 64)
  check_size(image/ui_parts/window1_waku.png 64 64)
  foreach(size ${icon_sizes})
    check_size(icon/plimoball-${size}.png ${size} ${size})
  endforeach()
endif()

# Same bytes on the second run.
file(GLOB_RECURSE produced RELATIVE ${DAT} ${DAT}/*)
foreach(name ${produced})
  file(SHA256 ${DAT}/${name} a)
  file(SHA256 ${WORK_DIR}/second/dat/${name} b)
  if(NOT a STREQUAL b)
    string(APPEND problems "differs between runs: ${name}\n")
  endif()
endforeach()

if(NOT problems STREQUAL "")
  message(FATAL_ERROR "generated data has problems:\n${problems}")
endif()
list(LENGTH produced count)
message(STATUS "generated data: ${count} files, all present, well-formed and reproducible")
file(REMOVE_RECURSE ${WORK_DIR})
