#pragma once

#include <string>
#include <string_view>

namespace tintora {

// The help page's style sheet gives its font sizes in percent, as a web
// browser reads them: body relative to the browser's medium size, every other
// rule relative to the body. Qt's rich text ignores percentages, so the page
// is shown with each "font-size: N%" of its <style> block turned into the
// pixel size it stands for, rounded to whole pixels. Everything else of the
// page, its text above all, stays as it is.
std::string withPixelFontSizes(std::string_view page, double mediumPixels);

// A browser's medium font size: 12 points at 96 dots per inch.
constexpr double BrowserMediumPixels = 16.0;

} // namespace tintora
