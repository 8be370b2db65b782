# Writes the WebAssembly module IN as a script OUT that sets
# pulvaxWasmBase64 (coreutils' base64 does the encoding).
find_program(BASE64 base64 REQUIRED)
execute_process(COMMAND ${BASE64} -w0 ${IN} OUTPUT_VARIABLE b64 RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "base64 failed on ${IN}")
endif()
file(WRITE ${OUT} "// Generated from pulvax_web.wasm.\nvar pulvaxWasmBase64 = \"${b64}\";\n")
