// One spectrum record: the counts (bound to storage the main window owns), sizes, ROI flags, texts,
// status values, the stored and working calibrations and the register image of one spectrum set.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "protocol/RegisterImage.h"
#include "records/CalibrationRecord.h"

namespace mirvo {

constexpr int kMaxChannels = 4096;
constexpr int kMinHardSize = 512;
// The soft sizes the Soft Size menu offers, with their command numbers.
constexpr std::array<int, 6> kSoftSizes = {4096, 2048, 1365, 1024, 682, 512};
constexpr std::array<int, 6> kSoftSizeCommands = {32816, 32810, 32818, 32812, 32819, 32814};

inline constexpr const char* kDefaultTag = "mirvo-PSD spectrum";
inline constexpr const char* kNotLoadedLabel = "(Not Loaded)";

using CountArray = std::array<std::uint32_t, kMaxChannels>;
using FlagArray = std::array<std::uint8_t, kMaxChannels>;

struct SpectrumRecord {
  SpectrumRecord();

  std::int32_t spectrumIndex = 0;
  std::int32_t visible = 0;
  std::int32_t live = 0;  // 1 for a BUFFER record
  std::uint16_t firmwareVersion = 0;
  std::uint16_t serialNumber = 0;
  // Count storage: a BUFFER record points into SpectrumMemory, a FILE record into the FILE arrays;
  // every record has its own soft array. Until bound, both point at the record's own zeroed arrays.
  std::uint32_t* hardCounts = nullptr;
  std::uint32_t* softCounts = nullptr;
  RegisterImage registers;
  std::int32_t refreshEnable = 1;
  std::int32_t hardSize = kMaxChannels;
  std::int32_t softSize = kMaxChannels;
  std::int32_t factor = 1;
  std::int32_t coarseGainIndex = 0;
  std::uint16_t register12Copy = 0;
  std::int32_t coarseStepCount = 4;
  std::string caption;
  CalibrationRecord stored;   // hard channels: what is saved and copied
  CalibrationRecord working;  // soft channels, with the coefficients of the last fit
  std::string tag = kDefaultTag;
  std::string fileLabel = kNotLoadedLabel;
  FlagArray softRoi{};
  FlagArray hardRoi{};
  double slowAdcVolts = 0.0;
  std::int32_t bias = 0;
  std::int16_t internalTemperature = 0;

  void BindCounts(std::uint32_t* hard, std::uint32_t* soft) {
    hardCounts = hard;
    softCounts = soft;
  }
  // The energy of a soft channel with the working calibration, or the channel itself when the
  // calibration is not enabled.
  double Energy(double channel) const { return working.enabled != 0 ? working.Energy(channel) : channel; }

  SpectrumRecord(const SpectrumRecord&) = delete;
  SpectrumRecord& operator=(const SpectrumRecord&) = delete;

 private:
  CountArray ownHard_{};
  CountArray ownSoft_{};
};

}  // namespace mirvo
