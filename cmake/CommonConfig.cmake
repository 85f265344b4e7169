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
