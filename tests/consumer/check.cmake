# Run with cmake -P: installs BUILD_DIR into WORK_DIR/prefix, then configures,
# builds and runs the consumer project in SOURCE_DIR against that prefix.
# Inputs: BUILD_DIR, WORK_DIR, SOURCE_DIR, GENERATOR, CXX_COMPILER, BUILD_TYPE.
foreach(var BUILD_DIR WORK_DIR SOURCE_DIR GENERATOR CXX_COMPILER BUILD_TYPE)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "check.cmake needs -D${var}=...")
  endif()
endforeach()

function(step)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}")
  endif()
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
step(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${WORK_DIR}/prefix --config ${BUILD_TYPE})
step(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/build -G ${GENERATOR}
     -DCMAKE_BUILD_TYPE=${BUILD_TYPE} -DCMAKE_CXX_COMPILER=${CXX_COMPILER}
     -DCMAKE_PREFIX_PATH=${WORK_DIR}/prefix)
step(${CMAKE_COMMAND} --build ${WORK_DIR}/build --config ${BUILD_TYPE})
find_program(consumer_exe consumer PATHS ${WORK_DIR}/build ${WORK_DIR}/build/${BUILD_TYPE} NO_DEFAULT_PATH)
if(NOT consumer_exe)
  message(FATAL_ERROR "the consumer was not built")
endif()
step(${consumer_exe})
