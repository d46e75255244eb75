# Source lists by layer. Files under a ui/ folder belong to the widget library,
# everything else under src/ (but main.cpp) to the GUI-free library.
function(stocksync_collect_sources out_core out_ui)
    file(GLOB_RECURSE all CONFIGURE_DEPENDS
        ${CMAKE_SOURCE_DIR}/src/*.cpp ${CMAKE_SOURCE_DIR}/src/*.h)
    set(core "")
    set(ui "")
    foreach(f IN LISTS all)
        if(f MATCHES "/ui/")
            list(APPEND ui ${f})
        elseif(NOT f MATCHES "/src/main\\.cpp$")
            list(APPEND core ${f})
        endif()
    endforeach()
    set(${out_core} ${core} PARENT_SCOPE)
    set(${out_ui} ${ui} PARENT_SCOPE)
endfunction()
