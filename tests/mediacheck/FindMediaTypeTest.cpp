// FindMediaType on pins that offer planned type lists.
#include <gtest/gtest.h>

#include "engine/graph/MediaCheck.h"
#include "tests/mediacheck/StreamFilters.h"

namespace orvo::engine {
namespace {

using test::PinPlan;
using test::TestSplitter;

constexpr GUID kFirstVideo = GuidFromFourCC(MakeFourCC('V', 'I', 'D', '1'));
constexpr GUID kSecondVideo = GuidFromFourCC(MakeFourCC('V', 'I', 'D', '2'));

// The output pin of a splitter with that one plan.
class PlannedPin : public testing::Test {
protected:
    ComPtr<IPin> PinWith(PinPlan plan) {
        m_filter = ComPtr<TestSplitter>(new TestSplitter({std::move(plan)}));
        return ComPtr<IPin>(m_filter->GetPin(1));
    }

private:
    ComPtr<TestSplitter> m_filter;
};

TEST_F(PlannedPin, FirstTypeOfTheMajorTypeInOrder) {
    ComPtr<IPin> pin = PinWith({{test::PcmType(2, 48000), test::VideoInfoType(kFirstVideo, 64, 48, 0),
                                 test::VideoInfoType(kSecondVideo, 32, 24, 0)}});
    struct Case {
        GUID major;
        HRESULT result;
        GUID subtype;
    };
    for (const Case& c : {Case{MEDIATYPE_Video, S_OK, kFirstVideo}, Case{MEDIATYPE_Audio, S_OK, MEDIASUBTYPE_PCM},
                          Case{MEDIATYPE_Subtitle, VFW_E_NOT_FOUND, GUID_NULL}}) {
        AM_MEDIA_TYPE* found = reinterpret_cast<AM_MEDIA_TYPE*>(1);
        EXPECT_EQ(FindMediaType(pin.Get(), c.major, &found), c.result);
        if (c.result != S_OK) {
            EXPECT_EQ(found, nullptr);
            continue;
        }
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->majortype, c.major);
        EXPECT_EQ(found->subtype, c.subtype);
        EXPECT_NE(found->pbFormat, nullptr) << "handed out whole, with its format block";
        DeleteMediaType(found);
    }
}

TEST_F(PlannedPin, NoTypesOrAFailedEnumeration) {
    AM_MEDIA_TYPE* found = nullptr;
    EXPECT_EQ(FindMediaType(PinWith({}).Get(), MEDIATYPE_Video, &found), VFW_E_NOT_FOUND);
    EXPECT_EQ(found, nullptr);
    EXPECT_EQ(FindMediaType(PinWith({{test::PcmType(2, 48000)}, E_OUTOFMEMORY}).Get(), MEDIATYPE_Audio, &found),
              E_OUTOFMEMORY);
    EXPECT_EQ(found, nullptr);
    EXPECT_EQ(FindMediaType(nullptr, MEDIATYPE_Video, &found), E_POINTER);
    EXPECT_EQ(FindMediaType(PinWith({}).Get(), MEDIATYPE_Video, nullptr), E_POINTER);
}

}  // namespace
}  // namespace orvo::engine
