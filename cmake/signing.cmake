# Every program and package that ships is signed (SHA-256 Authenticode, with osslsigncode)
# before anything packs or tests it. The key comes from the environment of the configure run:
#   TARN_SIGN_PFX                a PKCS#12 file holding the release key and its certificates;
#   TARN_SIGN_PFX_PASSWORD_ENV   the name of the variable holding that file's password, read
#                                when signing, so the password is in no build file;
#   TARN_SIGN_PKCS11_MODULE      or a PKCS#11 module, with TARN_SIGN_PKCS11_KEY (the key's
#                                pkcs11: URI, its PIN in the URI) and TARN_SIGN_PKCS11_CERT
#                                (the certificate file, with its chain);
#   TARN_SIGN_TIMESTAMP_URL      an RFC 3161 time-stamping server; no time stamp without it.
# Without a release key, a test CA is made once per build folder in test-signing-ca/: ca.crt
# is the CA certificate to trust or verify against, signer.crt and signer.key sign. The CA's
# own key is thrown away once the signer's certificate is issued, so nothing else can be issued
# under a CA that someone might trust on a test machine.
#
# tarn_sign_target(TARGET): TARGET's file is signed after every link.
# TARN_SIGN_COMMAND and TARN_SIGN_DEPENDS: the command a packaging rule ends with, followed by
# the package's file, and what that rule depends on so that a change of key makes it again.
find_program(TARN_OSSLSIGNCODE osslsigncode REQUIRED)

set(TARN_SIGN_PASSWORD_ENV -)
set(timestamp -)
if(NOT "$ENV{TARN_SIGN_TIMESTAMP_URL}" STREQUAL "")
  set(timestamp "$ENV{TARN_SIGN_TIMESTAMP_URL}")
endif()
if(DEFINED ENV{TARN_SIGN_PFX} AND NOT "$ENV{TARN_SIGN_PFX}" STREQUAL "")
  set(key_file "$ENV{TARN_SIGN_PFX}")
  set(TARN_SIGN_KEY_ARGUMENTS -pkcs12 ${key_file})
  if(NOT "$ENV{TARN_SIGN_PFX_PASSWORD_ENV}" STREQUAL "")
    set(TARN_SIGN_PASSWORD_ENV "$ENV{TARN_SIGN_PFX_PASSWORD_ENV}")
    if(NOT TARN_SIGN_PASSWORD_ENV MATCHES "^[A-Za-z_][A-Za-z0-9_]*$")
      message(FATAL_ERROR "TARN_SIGN_PFX_PASSWORD_ENV must name an environment variable, not '${TARN_SIGN_PASSWORD_ENV}'")
    endif()
  endif()
  set(TARN_SIGNING_CA "")
elseif(DEFINED ENV{TARN_SIGN_PKCS11_MODULE} AND NOT "$ENV{TARN_SIGN_PKCS11_MODULE}" STREQUAL "")
  if("$ENV{TARN_SIGN_PKCS11_KEY}" STREQUAL "" OR "$ENV{TARN_SIGN_PKCS11_CERT}" STREQUAL "")
    message(FATAL_ERROR "TARN_SIGN_PKCS11_MODULE needs TARN_SIGN_PKCS11_KEY and TARN_SIGN_PKCS11_CERT too")
  endif()
  set(key_file "$ENV{TARN_SIGN_PKCS11_CERT}")
  set(TARN_SIGN_KEY_ARGUMENTS -pkcs11module $ENV{TARN_SIGN_PKCS11_MODULE} -key $ENV{TARN_SIGN_PKCS11_KEY}
                    -certs ${key_file})
  set(TARN_SIGNING_CA "")
else()
  find_program(TARN_OPENSSL openssl REQUIRED)
  set(TARN_SIGNING_CA_DIR ${CMAKE_BINARY_DIR}/test-signing-ca)
  set(TARN_SIGNING_CA ${TARN_SIGNING_CA_DIR}/ca.crt)
  set(key_file ${TARN_SIGNING_CA_DIR}/signer.crt)
  set(TARN_SIGN_KEY_ARGUMENTS -certs ${key_file} -key ${TARN_SIGNING_CA_DIR}/signer.key)
  if(NOT EXISTS ${TARN_SIGNING_CA} OR NOT EXISTS ${key_file} OR NOT EXISTS ${TARN_SIGNING_CA_DIR}/signer.key)
    # Made aside and moved in whole: an interrupted run leaves no half of a CA behind.
    set(making ${CMAKE_BINARY_DIR}/test-signing-ca.making)
    file(REMOVE_RECURSE ${making} ${TARN_SIGNING_CA_DIR})
    file(MAKE_DIRECTORY ${making})
    set(config ${CMAKE_CURRENT_LIST_DIR}/test-signing-ca.cnf)
    execute_process(
      COMMAND ${TARN_OPENSSL} req -x509 -config ${config} -extensions ca -newkey rsa:3072 -nodes
              -sha256 -days 3650 -subj "/O=Tarnwell Configuration Agent/CN=Test signing CA of one build folder"
              -keyout ${making}/ca.key -out ${making}/ca.crt
      RESULT_VARIABLE ca_failed OUTPUT_QUIET ERROR_VARIABLE openssl_said)
    if(NOT ca_failed)
      execute_process(
        COMMAND ${TARN_OPENSSL} req -x509 -config ${config} -extensions signer -newkey rsa:3072 -nodes
                -sha256 -days 3650 -subj "/O=Tarnwell Configuration Agent/CN=Test signer of one build folder"
                -CA ${making}/ca.crt -CAkey ${making}/ca.key
                -keyout ${making}/signer.key -out ${making}/signer.crt
        RESULT_VARIABLE ca_failed OUTPUT_QUIET ERROR_VARIABLE openssl_said)
    endif()
    if(ca_failed)
      message(FATAL_ERROR "openssl could not make the test CA in ${making}: ${openssl_said}")
    endif()
    file(REMOVE ${making}/ca.key)
    file(RENAME ${making} ${TARN_SIGNING_CA_DIR})
    message(STATUS "Signing with a test CA made for this build folder: ${TARN_SIGNING_CA}")
  endif()
endif()

# The signing rules run in several folders: a relative path would mean something else in each.
foreach(path IN LISTS key_file)
  if(NOT IS_ABSOLUTE "${path}")
    message(FATAL_ERROR "The signing key's file must be named by an absolute path, not '${path}'")
  endif()
endforeach()

# What the signatures depend on besides the files: the key's file, and this description of the
# key, rewritten only when it changes. Both make every program relink and every package be made
# again, so a build folder never mixes keys.
set(TARN_SIGN_IDENTITY ${CMAKE_BINARY_DIR}/signing-identity.txt)
file(CONFIGURE OUTPUT ${TARN_SIGN_IDENTITY}
     CONTENT "${TARN_SIGN_KEY_ARGUMENTS}\npassword from: ${TARN_SIGN_PASSWORD_ENV}\ntime stamp: ${timestamp}\n")
set(TARN_SIGN_DEPENDS ${TARN_SIGN_IDENTITY} ${key_file})
set(TARN_SIGN_COMMAND ${CMAKE_CURRENT_LIST_DIR}/sign-file ${TARN_OSSLSIGNCODE} ${TARN_SIGN_PASSWORD_ENV}
                      ${timestamp} ${TARN_SIGN_KEY_ARGUMENTS})

function(tarn_sign_target target)
  add_custom_command(TARGET ${target} POST_BUILD COMMAND ${TARN_SIGN_COMMAND} $<TARGET_FILE:${target}> VERBATIM)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${TARN_SIGN_DEPENDS})
endfunction()
