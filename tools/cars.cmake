# Cars: every assets/cars/*.txt becomes cars/<name>.bmp and cars/<name>.car.

add_executable(gravelin_carbuild carbuild.cpp)
target_link_libraries(gravelin_carbuild PRIVATE gravelin_tool_parts)

file(GLOB CAR_DESCRIPTIONS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/assets/cars/*.txt)
foreach(description IN LISTS CAR_DESCRIPTIONS)
  get_filename_component(car ${description} NAME_WE)
  add_custom_command(
    OUTPUT ${CARS}/${car}.bmp ${CARS}/${car}.car
    COMMAND gravelin_carbuild ${description} ${CARS}
    DEPENDS gravelin_carbuild ${description}
    COMMENT "Building car ${car}")
  list(APPEND GAME_DATA_OUTPUTS ${CARS}/${car}.bmp ${CARS}/${car}.car)
endforeach()
