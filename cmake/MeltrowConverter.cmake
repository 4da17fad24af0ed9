# The converter the program carries: FFmpeg built from Debian's ffmpeg source package
# (scripts/fetch-ffmpeg-source.sh fetches it), configured for one job only - decode any audio
# file and write a PCM WAV file - and linked statically, so that it runs on any x86-64 Linux
# without FFmpeg's libraries and starts without the dynamic loader's work.
#
# Defines MELTROW_FFMPEG_PROGRAM (the program to pack), MELTROW_CONVERTER_BUILT (whether it is
# built here) and the target meltrow_converter_program that builds it. -DMELTROW_FFMPEG_PROGRAM=
# <path> packs the given program instead and builds nothing (the machine's /usr/bin/ffmpeg, or a
# packager's own).
#
# The result is LGPL-2.1-or-later: no --enable-gpl, --enable-nonfree or outside library.

# Build folders made before the converter was built here hold the machine's ffmpeg, found by
# find_program; that is no choice of the user's, so it is forgotten.
get_property (programHelp CACHE MELTROW_FFMPEG_PROGRAM PROPERTY HELPSTRING)
if (programHelp STREQUAL "Path to a program.")
    unset (MELTROW_FFMPEG_PROGRAM CACHE)
endif()

set (MELTROW_FFMPEG_PROGRAM "" CACHE FILEPATH "An FFmpeg program to carry instead of building one")
set (MELTROW_FFMPEG_SOURCE_DIR "${PROJECT_SOURCE_DIR}/.cache/ffmpeg/source"
     CACHE PATH "Debian's ffmpeg source package, unpacked (scripts/fetch-ffmpeg-source.sh)")

add_custom_target (meltrow_converter_program)

if (MELTROW_FFMPEG_PROGRAM)
    set (MELTROW_CONVERTER_BUILT OFF)
    return()
endif()
set (MELTROW_CONVERTER_BUILT ON)

if (NOT EXISTS "${MELTROW_FFMPEG_SOURCE_DIR}/configure")
    message (FATAL_ERROR "FFmpeg's source is not in ${MELTROW_FFMPEG_SOURCE_DIR}: run scripts/setup.sh "
                         "(or scripts/fetch-ffmpeg-source.sh), or pass -DMELTROW_FFMPEG_PROGRAM=<path>")
endif()

find_program (MELTROW_NASM nasm)
if (NOT MELTROW_NASM)
    # Without the x86 assembly decoding and resampling run 1.6 to 2.5 times slower.
    message (FATAL_ERROR "nasm is needed to build the converter: run scripts/setup.sh")
endif()

# Every audio decoder FFmpeg has without outside libraries (the families by pattern). mjpeg
# keeps the cover art of MP3 and M4A files readable while they are probed; the WAV muxer has no
# video codec, so such a picture is never mapped to the output.
set (converterDecoders
    pcm_* adpcm_* dsd_* *_dpcm
    aac aac_fixed aac_latm ac3 ac3_fixed acelp_kelvin alac als amrnb amrwb ape aptx aptx_hd atrac1
    atrac3 atrac3al atrac3p atrac3pal atrac9 binkaudio_dct binkaudio_rdft bmv_audio comfortnoise
    cook dca dfpwm dolby_e dsicinaudio dss_sp dst dvaudio eac3 eightsvx_exp eightsvx_fib evrc
    fastaudio ffwavesynth flac g723_1 g729 gsm gsm_ms hca hcom iac ilbc imc interplay_acm mace3
    mace6 metasound mlp mp1 mp1float mp2 mp2float mp3 mp3adu mp3adufloat mp3float mp3on4
    mp3on4float mpc7 mpc8 msnsiren nellymoser on2avc opus paf_audio qcelp qdm2 qdmc ra_144 ra_288
    ralf s302m sbc shorten sipr siren smackaud sonic speex tak truehd truespeech tta twinvq
    vmdaudio vorbis wavpack wmalossless wmapro wmav1 wmav2 wmavoice ws_snd1 xma1 xma2
    mjpeg)

# The sample formats the options document offers, into WAV only.
set (converterEncoders pcm_s16le pcm_s24le pcm_f32le)
set (converterMuxers wav)

# The graph FFmpeg builds for -ar / -ac / -acodec: its buffer source and sink, anull as the
# default chain, aformat for the encoder's formats and aresample, which it inserts for every
# rate, sample format and channel layout conversion. arealtime ("-af arealtime" in an options
# document) paces a conversion at the input's own speed, which the tests use to hold a run open.
set (converterFilters abuffer abuffersink anull aformat aresample arealtime)

list (JOIN converterDecoders "," decoderList)
list (JOIN converterEncoders "," encoderList)
list (JOIN converterMuxers "," muxerList)
list (JOIN converterFilters "," filterList)

set (converterConfigure
    "${MELTROW_FFMPEG_SOURCE_DIR}/configure"
    --prefix=<INSTALL_DIR>
    --x86asmexe=${MELTROW_NASM}
    --disable-autodetect        # no outside libraries, hardware APIs or system services
    --disable-iconv             # glibc's would load its converters at run time
    --enable-static --disable-shared
    --extra-ldflags=-static     # the program itself: no loader, no shared libraries
    --disable-debug --disable-doc
    --disable-programs --enable-ffmpeg
    --disable-network --disable-avdevice --disable-swscale --disable-postproc
    --disable-everything        # then only what converting audio into WAV needs
    --enable-decoder=${decoderList}
    --enable-demuxers --enable-parsers
    --enable-encoder=${encoderList}
    --enable-muxer=${muxerList}
    --enable-filter=${filterList}
    --enable-protocol=file,pipe)

include (ExternalProject)
include (ProcessorCount)
ProcessorCount (converterJobs)
if (converterJobs EQUAL 0)
    set (converterJobs 4)
endif()

# Built once per build folder: nothing here changes when the project's own sources do.
ExternalProject_Add (meltrow_ffmpeg
    SOURCE_DIR "${MELTROW_FFMPEG_SOURCE_DIR}"
    PREFIX "${PROJECT_BINARY_DIR}/ffmpeg"
    CONFIGURE_COMMAND ${converterConfigure}
    BUILD_COMMAND make -j${converterJobs}
    INSTALL_COMMAND make install
    BUILD_BYPRODUCTS "<INSTALL_DIR>/bin/ffmpeg"
    LOG_CONFIGURE ON LOG_BUILD ON LOG_INSTALL ON LOG_OUTPUT_ON_FAILURE ON
    UPDATE_DISCONNECTED ON)

# A newer source package (a Debian security update, fetched by the setup) builds it again.
ExternalProject_Add_StepDependencies (meltrow_ffmpeg configure "${MELTROW_FFMPEG_SOURCE_DIR}/.meltrow-version")

ExternalProject_Get_Property (meltrow_ffmpeg INSTALL_DIR)
set (MELTROW_FFMPEG_PROGRAM "${INSTALL_DIR}/bin/ffmpeg")
add_dependencies (meltrow_converter_program meltrow_ffmpeg)
