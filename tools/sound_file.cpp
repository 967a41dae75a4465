#include "tools/sound_file.h"

double integerSampleScale(int format) {
    switch (format & SF_FORMAT_SUBMASK) {
        case SF_FORMAT_PCM_S8:
        case SF_FORMAT_PCM_U8:
            return 1.0 / 128.0;
        case SF_FORMAT_PCM_16:
            return 1.0 / 32768.0;
        case SF_FORMAT_PCM_24:
            return 1.0 / 8388608.0;
        case SF_FORMAT_PCM_32:
            return 1.0 / 2147483648.0;
        default:
            return 0.0;
    }
}

void configureSampleConversion(SNDFILE* file, int format) {
    if (integerSampleScale(format) != 0.0) {
        sf_command(file, SFC_SET_NORM_FLOAT, nullptr, SF_FALSE);
        sf_command(file, SFC_SET_NORM_DOUBLE, nullptr, SF_FALSE);
    }
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
}

void copyTextFields(SNDFILE* from, SNDFILE* to) {
    for (int field = SF_STR_FIRST; field <= SF_STR_LAST; ++field) {
        const char* text = sf_get_string(from, field);
        if (text != nullptr) sf_set_string(to, field, text);
    }
}

std::string describeFormat(int format) {
    SF_FORMAT_INFO major{};
    major.format = format & SF_FORMAT_TYPEMASK;
    SF_FORMAT_INFO sub{};
    sub.format = format & SF_FORMAT_SUBMASK;
    std::string text = sf_command(nullptr, SFC_GET_FORMAT_INFO, &major, sizeof major) == 0 && major.name
                           ? major.name
                           : "unknown container";
    if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &sub, sizeof sub) == 0 && sub.name) text += std::string(", ") + sub.name;
    return text;
}
