# Strict Qt settings for our own targets: no implicit ASCII casts, no Qt
# keywords that clash with other libraries, string builder for concatenation.
function(vantrel_strict_qt target)
    target_compile_definitions(${target} PRIVATE
        QT_NO_CAST_FROM_ASCII QT_NO_KEYWORDS QT_USE_QSTRINGBUILDER
        QT_NO_CAST_TO_ASCII QT_NO_URL_CAST_FROM_STRING)
endfunction()

# Adds one source subfolder of a test or benchmark tree when it has a CMakeLists.txt,
# so each subject owns its own list of targets.
function(vantrel_add_subdirs)
    file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
    list(SORT children)
    foreach(child ${children})
        if(NOT child IN_LIST VANTREL_SKIP AND IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
            add_subdirectory(${child})
        endif()
    endforeach()
endfunction()

# The Qt headers nearly every source of a widget library includes, parsed once
# per target instead of once per source: parsing them was most of each
# source's compile time.
function(vantrel_precompile_qt_widgets target)
    target_precompile_headers(${target} PRIVATE
        <QApplication> <QDir> <QFileInfo> <QHash> <QLabel> <QLineEdit> <QMenu>
        <QObject> <QPointer> <QString> <QStringList> <QStyle> <QTimer> <QWidget>
        <functional> <memory> <vector>)
endfunction()
