# The system's FFmpeg libraries, found once for both tools: pulvax-run reads
# and writes video files through them, the beat finder reads any audio or
# video file. Where they are found and link for this target (native Linux
# builds), PULVAX_HAVE_FFMPEG is ON and PkgConfig::PULVAX_AV is the target to
# link; elsewhere (Windows, cross builds) the tools keep to YUV4MPEG2 and WAV.
option(PULVAX_FFMPEG "Read and write audio and video files through the system's FFmpeg libraries" ON)
set(PULVAX_HAVE_FFMPEG OFF)
if(PULVAX_FFMPEG AND NOT WIN32 AND NOT CMAKE_CROSSCOMPILING)
  find_package(PkgConfig QUIET)
  if(PKG_CONFIG_FOUND)
    pkg_check_modules(PULVAX_AV QUIET IMPORTED_TARGET libavformat libavcodec libavutil libswscale)
  endif()
  if(PULVAX_AV_FOUND)
    # pkg-config knows only the build machine's libraries: make sure they link
    # for this target (not for a -m32 build, say).
    include(CheckCXXSourceCompiles)
    set(CMAKE_REQUIRED_LIBRARIES PkgConfig::PULVAX_AV)
    check_cxx_source_compiles("
      extern \"C\" {
      #include <libavformat/avformat.h>
      #include <libswscale/swscale.h>
      }
      int main() { return avformat_version() == 0 || swscale_version() == 0; }" PULVAX_AV_LINKS)
    unset(CMAKE_REQUIRED_LIBRARIES)
    if(PULVAX_AV_LINKS)
      set(PULVAX_HAVE_FFMPEG ON)
    endif()
  endif()
endif()
if(NOT PULVAX_HAVE_FFMPEG)
  message(STATUS "FFmpeg libraries: not used; pulvax-run keeps to YUV4MPEG2, the beat finder to WAV")
endif()
