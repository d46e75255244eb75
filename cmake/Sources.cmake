# The program's layers, from the bottom. Each layer is one static library and
# may include only the headers of the layers it links (see CheckLayers.cmake):
#
#   base     clock and intervals, interaction and desktop interfaces, text routines, the list model
#   store    data module, schema and migration, settings
#   top      HTTP component, signed requests, reply decoding, hosts      (links base only)
#   jobs     the request-job pattern and the job host                    (links top, base)
#   domain   source/ target/ sync/ lists/ reports/ shop/ history/, GUI-free
#   app      the composition root and the command table
#   widgets  every ui/ folder
#   program  main.cpp
set(STOCKSYNC_DOMAIN_FOLDERS source target sync lists reports shop history)

# The layer of a file below src/ (a path relative to src/).
function(stocksync_layer_of rel out)
    if(rel MATCHES "(^|/)ui/")
        set(layer widgets)
    elseif(rel STREQUAL "main.cpp")
        set(layer program)
    else()
        string(REGEX MATCH "^[^/]+" top "${rel}")
        if(top IN_LIST STOCKSYNC_DOMAIN_FOLDERS)
            set(layer domain)
        elseif(top MATCHES "^(base|store|top|jobs|app)$")
            set(layer ${top})
        else()
            set(layer unknown)
        endif()
    endif()
    set(${out} ${layer} PARENT_SCOPE)
endfunction()

# The layers a layer may include, itself included.
function(stocksync_allowed_layers layer out)
    set(base base)
    set(store store base)
    set(top top base)
    set(jobs jobs top base)
    set(domain domain jobs top store base)
    set(app app domain jobs top store base)
    set(widgets widgets app domain jobs top store base)
    set(program program widgets app domain jobs top store base)
    set(${out} ${${layer}} PARENT_SCOPE)
endfunction()

# Sources of one layer.
function(stocksync_layer_sources layer out)
    file(GLOB_RECURSE all RELATIVE ${CMAKE_SOURCE_DIR}/src CONFIGURE_DEPENDS
        ${CMAKE_SOURCE_DIR}/src/*.cpp ${CMAKE_SOURCE_DIR}/src/*.h)
    set(found "")
    foreach(rel IN LISTS all)
        stocksync_layer_of("${rel}" l)
        if(l STREQUAL layer)
            list(APPEND found ${CMAKE_SOURCE_DIR}/src/${rel})
        endif()
    endforeach()
    set(${out} ${found} PARENT_SCOPE)
endfunction()
