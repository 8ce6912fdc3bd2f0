# Tracks: every assets/tracks/*.txt becomes tracks/<name>.map and the
# tileset it names, tracks/<name>_tiles.bmp.

add_executable(gravelin_trackbuild trackbuild.cpp)
target_link_libraries(gravelin_trackbuild PRIVATE gravelin_tool_parts)

file(GLOB TRACK_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/assets/tracks/*.txt)
foreach(source IN LISTS TRACK_SOURCES)
  get_filename_component(track ${source} NAME_WE)
  add_custom_command(
    OUTPUT ${TRACKS}/${track}.map ${TRACKS}/${track}_tiles.bmp
    COMMAND gravelin_trackbuild ${source} ${TRACKS}
    DEPENDS gravelin_trackbuild ${source}
    COMMENT "Building track ${track}")
  list(APPEND GAME_DATA_OUTPUTS ${TRACKS}/${track}.map ${TRACKS}/${track}_tiles.bmp)
endforeach()
