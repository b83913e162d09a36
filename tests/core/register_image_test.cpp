#include <gtest/gtest.h>

#include <vector>

#include "protocol/RegisterImage.h"

namespace mirvo {
namespace {

TEST(RegisterImage, TransferBlocksCoverTheSpecifiedRanges) {
  EXPECT_EQ(kAllRegistersBlock.ByteCount(), 256u);
  EXPECT_EQ(kSettingsRegistersBlock.ByteCount(), 232u);
  EXPECT_EQ(kControlRegistersBlock.ByteCount(), 20u);
  EXPECT_EQ(kStatusRegistersBlock.ByteCount(), 254u);

  RegisterImage image;
  for (std::size_t i = 0; i < RegisterImage::kWords; ++i) image[i] = static_cast<std::uint16_t>(i);
  const auto control = image.Block(kControlRegistersBlock);
  EXPECT_EQ(control.front(), 0x110);  // taken from the command half
  EXPECT_EQ(control.back(), 0x119);
  EXPECT_EQ(image.Block(kSettingsRegistersBlock).front(), 0x00C);
  EXPECT_EQ(image.Block(kSettingsRegistersBlock).back(), 0x07F);
}

TEST(RegisterImage, StatusReadLeavesRegisterZero) {
  RegisterImage image;
  image[0] = 0xBEEF;
  const std::vector<std::uint16_t> status(127, 0x1111);
  image.StoreBlock(kStatusRegistersBlock, status);
  EXPECT_EQ(image[0], 0xBEEF);
  EXPECT_EQ(image[1], 0x1111);
  EXPECT_EQ(image[127], 0x1111);
  EXPECT_EQ(image[128], 0);
}

TEST(RegisterImage, ControlWordOperations) {
  RegisterImage image;
  image[reg::kControlWord] = cw::kResetIdle | cw::kLivePreset;
  image.SetRun();
  EXPECT_EQ(image.ControlWord(), cw::kResetIdle | cw::kLivePreset | cw::kRun | cw::kRunCompanion);
  EXPECT_TRUE(image.Running());
  image.RaiseResetPulses();
  EXPECT_EQ(image.ControlWord() & (cw::kResetPulseA | cw::kResetPulseB | cw::kResetIdle),
            cw::kResetPulseA | cw::kResetPulseB);
  image.AcknowledgePulses();  // the pulse is sent once, not repeated by the next block write
  EXPECT_EQ(image.ControlWord() & (cw::kResetPulseA | cw::kResetPulseB | cw::kResetIdle), cw::kResetIdle);
  image.ClearRun();
  EXPECT_FALSE(image.Running());
  EXPECT_EQ(image.ControlWord(), cw::kResetIdle | cw::kLivePreset);

  image[reg::kControlWord] |= cw::kTraceReady;
  image.ClearTraceReady();
  EXPECT_EQ(image.ControlWord() & cw::kTraceReady, 0);

  image.SetRun(true);
  image.RaiseResetPulses(true);
  EXPECT_EQ(image.ControlWord(true), cw::kRun | cw::kRunCompanion | cw::kResetPulseA | cw::kResetPulseB);
  EXPECT_FALSE(image.Running());  // the read-back half is untouched
}

TEST(RegisterImage, CopyToCommandHalf) {
  RegisterImage image;
  for (std::size_t i = 0; i < 0x100; ++i) image[i] = static_cast<std::uint16_t>(0xA000 + i);
  image[0x100] = 0x7777;
  image.CopyToCommandHalf();
  EXPECT_EQ(image[0x100], 0x7777);  // index 0 is not copied
  EXPECT_EQ(image[0x101], 0xA001);
  EXPECT_EQ(image[0x1FF], 0xA0FF);
}

TEST(SpectrumMemory, ChunksLandLowWordFirstAndNeverOverflow) {
  SpectrumMemory memory;
  const std::vector<std::uint8_t> bytes{0x78, 0x56, 0x34, 0x12, 0xFF, 0xFF, 0xFF, 0xFF, 0x01};
  EXPECT_EQ(memory.StoreChunk(4096, bytes), 2u);  // the odd trailing byte is no count
  EXPECT_EQ(memory.Spectrum(1)[0], 0x12345678u);
  EXPECT_EQ(memory.Spectrum(1)[1], 0xFFFFFFFFu);
  EXPECT_EQ(memory.StoreChunk(SpectrumMemory::kCounts - 1, bytes), 1u);
  EXPECT_EQ(memory.Counts().back(), 0x12345678u);
  EXPECT_EQ(memory.StoreChunk(SpectrumMemory::kCounts, bytes), 0u);
}

}  // namespace
}  // namespace mirvo
