# cmake -DZIP=file.zip -P WriteSha256.cmake: writes file.zip.sha256 in sha256sum's format.
file(SHA256 ${ZIP} digest)
get_filename_component(name ${ZIP} NAME)
file(WRITE ${ZIP}.sha256 "${digest}  ${name}\n")
message(STATUS "${name} SHA-256 ${digest}")
