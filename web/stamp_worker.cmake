# Writes OUTPUT/sw.js from SOURCE with @VERSION@ set to a digest of the FILES in OUTPUT.
set(digests "")
foreach(file IN LISTS FILES)
    file(SHA256 ${OUTPUT}/${file} digest)
    string(APPEND digests ${digest})
endforeach()
string(SHA256 VERSION "${digests}")
string(SUBSTRING ${VERSION} 0 16 VERSION)
configure_file(${SOURCE} ${OUTPUT}/sw.js @ONLY)
