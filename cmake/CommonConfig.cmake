# One interface target carries the compile settings every target of ours shares.
add_library(cv_common_cfg INTERFACE)
target_compile_features(cv_common_cfg INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
target_compile_options(cv_common_cfg INTERFACE
    -Wall -Wextra -Wpedantic -Wold-style-cast -Woverloaded-virtual -Wnon-virtual-dtor)
target_compile_definitions(cv_common_cfg INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII
    QT_NO_CAST_FROM_BYTEARRAY
    QT_NO_CONTEXTLESS_CONNECT
    QT_USE_QSTRINGBUILDER
    QT_NO_KEYWORDS)
if(CV_WERROR)
    target_compile_options(cv_common_cfg INTERFACE -Werror)
endif()
if(CV_SANITIZE)
    target_compile_options(cv_common_cfg INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(cv_common_cfg INTERFACE -fsanitize=address,undefined)
endif()
if(CV_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "CV_FUZZ needs clang: -DCMAKE_CXX_COMPILER=clang++")
    endif()
    # Everything is instrumented for coverage and checked by the sanitizers; only the fuzz
    # targets link the fuzzer's own main.
    target_compile_options(cv_common_cfg INTERFACE
        -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(cv_common_cfg INTERFACE -fsanitize=address,undefined)
endif()
