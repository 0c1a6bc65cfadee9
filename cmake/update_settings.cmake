# The update feed a program is built with: the address of the release manifest and
# the Ed25519 public key its signature must verify with, written into a header
# (update_build_settings.h) that only the entry point includes. Nothing at run time
# can change them.
#
# Included: kestrix_write_update_settings(OUTPUT FEED_URL PUBLIC_KEY).
# As a script, for a test build with a throwaway key made by the release tool:
#   cmake -DRELEASE_TOOL=... -DKEY_FILE=... -DFEED_URL=... -DOUTPUT=... -P update_settings.cmake

function(kestrix_write_update_settings output feed_url public_key)
  string(LENGTH "${public_key}" key_length)
  if(NOT public_key MATCHES "^[0-9a-fA-F]*$" OR NOT key_length EQUAL 64)
    message(FATAL_ERROR "The update public key must be 64 hexadecimal digits, not '${public_key}'")
  endif()
  if(NOT feed_url STREQUAL "" AND NOT feed_url MATCHES "^https://[^\"\\\\]+$")
    message(FATAL_ERROR "The update feed must be an https:// address (or empty for a build without one), not '${feed_url}'")
  endif()
  file(CONFIGURE OUTPUT "${output}" CONTENT [[
// Made by the build from KESTRIX_UPDATE_FEED_URL and KESTRIX_UPDATE_PUBLIC_KEY.
#pragma once
#define KESTRIX_UPDATE_FEED_URL "@feed_url@"
#define KESTRIX_UPDATE_PUBLIC_KEY "@public_key@"
]] @ONLY)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  foreach(variable RELEASE_TOOL KEY_FILE FEED_URL OUTPUT)
    if(NOT DEFINED ${variable})
      message(FATAL_ERROR "update_settings.cmake needs -D${variable}=...")
    endif()
  endforeach()
  # A fresh throwaway key each time the header is made, so key and header always match.
  file(REMOVE "${KEY_FILE}")
  execute_process(COMMAND "${RELEASE_TOOL}" keygen "${KEY_FILE}"
    OUTPUT_VARIABLE public_key OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${RELEASE_TOOL} keygen failed (${status})")
  endif()
  kestrix_write_update_settings("${OUTPUT}" "${FEED_URL}" "${public_key}")
endif()
