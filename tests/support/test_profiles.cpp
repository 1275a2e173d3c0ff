#include "support/test_profiles.h"

#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <fstream>

namespace tintora::test {

namespace {

ProfileBytes saved(cmsHPROFILE profile)
{
    ProfileBytes bytes;
    cmsUInt32Number size = 0;
    if (profile && cmsSaveProfileToMem(profile, nullptr, &size)) {
        bytes.resize(size);
        if (!cmsSaveProfileToMem(profile, bytes.data(), &size)) bytes.clear();
    }
    if (profile) cmsCloseProfile(profile);
    return bytes;
}

void describe(cmsHPROFILE profile, const std::wstring& text)
{
    cmsMLU* mlu = cmsMLUalloc(nullptr, 1);
    cmsMLUsetWide(mlu, "en", "US", text.c_str());
    cmsWriteTag(profile, cmsSigProfileDescriptionTag, mlu);
    cmsMLUfree(mlu);
}

void appendBigEndian(std::vector<std::uint8_t>& bytes, std::uint32_t value, int size)
{
    for (int shift = (size - 1) * 8; shift >= 0; shift -= 8) bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}

std::vector<std::uint8_t> vcgtHeader(std::uint32_t form)
{
    std::vector<std::uint8_t> bytes{'v', 'c', 'g', 't', 0, 0, 0, 0};
    appendBigEndian(bytes, form, 4);
    return bytes;
}

} // namespace

ProfileBytes displayProfileBytes(const TestProfile& wanted)
{
    const cmsCIExyY white{0.3127, 0.3290, 1.0};
    const cmsCIExyYTRIPLE primaries{{0.64, 0.33, 1.0}, {0.30, 0.60, 1.0}, {0.15, 0.06, 1.0}};
    cmsToneCurve* curve = cmsBuildParametricToneCurve(nullptr, 4, wanted.toneCurve.data());
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsFreeToneCurve(curve);
    if (!profile) return {};
    cmsSetProfileVersion(profile, wanted.version);
    cmsSetDeviceClass(profile, static_cast<cmsProfileClassSignature>(wanted.deviceClass));
    describe(profile, wanted.description);

    cmsToneCurve* vcgt[3] = {nullptr, nullptr, nullptr};
    for (int c = 0; c < 3; ++c) {
        if (wanted.vcgtCurve) {
            cmsUInt16Number table[256];
            for (int i = 0; i < 256; ++i)
                table[i] = static_cast<cmsUInt16Number>(std::lround(std::clamp(wanted.vcgtCurve(c, i / 255.0), 0.0, 1.0) * 65535));
            vcgt[c] = cmsBuildTabulatedToneCurve16(nullptr, 256, table);
        } else if (wanted.vcgtFormula.size() == 3) {
            const VcgtFormula& f = wanted.vcgtFormula[static_cast<std::size_t>(c)];
            const double parameters[7] = {f.gamma, std::pow(f.max - f.min, 1 / f.gamma), 0, 0, 0, f.min, 0};
            vcgt[c] = cmsBuildParametricToneCurve(nullptr, 5, parameters);
        }
    }
    if (vcgt[0]) cmsWriteTag(profile, cmsSigVcgtTag, vcgt);
    cmsFreeToneCurveTriple(vcgt);
    if (!wanted.rawVcgt.empty())
        cmsWriteRawTag(profile, cmsSigVcgtTag, wanted.rawVcgt.data(), static_cast<cmsUInt32Number>(wanted.rawVcgt.size()));
    return saved(profile);
}

std::vector<std::uint8_t> vcgtTableTag(int count, int entryBytes, const ChannelCurve& curve, int channels)
{
    std::vector<std::uint8_t> bytes = vcgtHeader(0);
    appendBigEndian(bytes, static_cast<std::uint32_t>(channels), 2);
    appendBigEndian(bytes, static_cast<std::uint32_t>(count), 2);
    appendBigEndian(bytes, static_cast<std::uint32_t>(entryBytes), 2);
    const double top = entryBytes == 1 ? 255 : 65535;
    for (int c = 0; c < channels; ++c)
        for (int i = 0; i < count; ++i) {
            const double x = count > 1 ? static_cast<double>(i) / (count - 1) : 0;
            const double value = std::lround(std::clamp(curve(c, x), 0.0, 1.0) * top);
            appendBigEndian(bytes, static_cast<std::uint32_t>(value), entryBytes);
        }
    return bytes;
}

std::vector<std::uint8_t> vcgtFormulaTag(const std::array<VcgtFormula, 3>& formula)
{
    std::vector<std::uint8_t> bytes = vcgtHeader(1);
    for (const VcgtFormula& f : formula)
        for (const double number : {f.gamma, f.min, f.max})
            appendBigEndian(bytes, static_cast<std::uint32_t>(static_cast<std::int32_t>(std::lround(number * 65536))), 4);
    return bytes;
}

ProfileBytes cmykProfileBytes()
{
    cmsHPROFILE profile = cmsCreateProfilePlaceholder(nullptr);
    cmsSetDeviceClass(profile, cmsSigOutputClass);
    cmsSetColorSpace(profile, cmsSigCmykData);
    cmsSetPCS(profile, cmsSigLabData);
    describe(profile, L"Tintora test CMYK");
    cmsWriteTag(profile, cmsSigMediaWhitePointTag, cmsD50_XYZ());
    // Two grid points per ink: lightness falls with the inks, a and b neutral.
    cmsUInt16Number table[16 * 3];
    for (int node = 0; node < 16; ++node) {
        const int inks = ((node >> 3) & 1) + ((node >> 2) & 1) + ((node >> 1) & 1) + (node & 1);
        table[node * 3] = static_cast<cmsUInt16Number>(65535 - inks * 16000);
        table[node * 3 + 1] = 0x8080;
        table[node * 3 + 2] = 0x8080;
    }
    cmsPipeline* lut = cmsPipelineAlloc(nullptr, 4, 3);
    cmsPipelineInsertStage(lut, cmsAT_END, cmsStageAllocCLut16bit(nullptr, 2, 4, 3, table));
    cmsWriteTag(profile, cmsSigAToB0Tag, lut);
    cmsPipelineFree(lut);
    return saved(profile);
}

ProfileBytes greyProfileBytes()
{
    cmsToneCurve* curve = cmsBuildGamma(nullptr, 2.2);
    cmsHPROFILE profile = cmsCreateGrayProfile(cmsD50_xyY(), curve);
    cmsFreeToneCurve(curve);
    return saved(profile);
}

ProfileBytes rgbDeviceLinkBytes()
{
    cmsToneCurve* curve = cmsBuildGamma(nullptr, 1.0);
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE profile = cmsCreateLinearizationDeviceLink(cmsSigRgbData, curves);
    cmsFreeToneCurve(curve);
    return saved(profile);
}

ProfileBytes rgbProfileWithoutColorantsBytes()
{
    cmsHPROFILE profile = cmsCreateProfilePlaceholder(nullptr);
    cmsSetProfileVersion(profile, 2.1);
    cmsSetDeviceClass(profile, cmsSigDisplayClass);
    cmsSetColorSpace(profile, cmsSigRgbData);
    cmsSetPCS(profile, cmsSigXYZData);
    describe(profile, L"Tintora test without colorants");
    return saved(profile);
}

bool writeProfileFile(const std::string& path, const ProfileBytes& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file.flush());
}

} // namespace tintora::test
