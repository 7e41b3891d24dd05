# Compiles, for each operation the toolkit declares only on Windows, a client
# that uses it, and expects the compiler to refuse it on that operation's
# name. A client using a declared operation compiles, so that a refusal for
# any other reason is not taken for the one expected.
#   cmake -DCOMPILER=c++ -DSOURCE=root -DWORK=dir -P windows_only.cmake
set(WINDOWS_ONLY store_module_handle module_handle general_heap brush_acquire brush_release NOT_HANDLED HOOK_CONTINUE
                 MSG_OBJECT_CLICK MSG_GADGET_EVENT MSG_WINDOW_DATA MSG_GADGET_DATA MSG_GADGET_REQUEST)
function(compile_client name use out_result out_log)
  set(file ${WORK}/client_${name}.cpp)
  file(WRITE ${file} "#include \"toolkit/toolkit.h\"\nvoid client() { (void)${use}; }\n")
  execute_process(COMMAND ${COMPILER} -std=c++20 -fsyntax-only -I${SOURCE} ${file} RESULT_VARIABLE result
                  ERROR_VARIABLE log OUTPUT_QUIET)
  set(${out_result} ${result} PARENT_SCOPE)
  set(${out_log} "${log}" PARENT_SCOPE)
endfunction()

compile_client(declared "open_window(0, 0, 0, 1, 1, \"\", 0)" result log)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "a client of a declared operation does not compile:\n${log}")
endif()
foreach(name IN LISTS WINDOWS_ONLY)
  compile_client(${name} ${name} result log)
  if(result EQUAL 0)
    message(FATAL_ERROR "${name} compiles outside Windows")
  endif()
  if(NOT log MATCHES "[^A-Za-z0-9_]${name}[^A-Za-z0-9_]")
    message(FATAL_ERROR "the error for ${name} does not name it:\n${log}")
  endif()
endforeach()
list(LENGTH WINDOWS_ONLY count)
message(STATUS "${count} Windows-only names refused by name")
