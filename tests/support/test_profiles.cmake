# Display profiles made with Little CMS 2 for tests (support/test_profiles.h):
# the unit tests, the fuzz targets' seeds and whatever else needs a profile.
if(NOT TARGET tintora_test_profiles)
    add_library(tintora_test_profiles STATIC ${CMAKE_CURRENT_LIST_DIR}/test_profiles.cpp)
    target_include_directories(tintora_test_profiles PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
    target_link_libraries(tintora_test_profiles PUBLIC Lcms2::Lcms2)
endif()
