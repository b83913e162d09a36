// The program's command numbers: menu items, toolbar buttons and key bindings carry them as their
// identifiers, so a command means the same wherever it is invoked.
#pragma once

namespace mirvo::cmd {

constexpr int kOpenSpectrum = 32891;
constexpr int kSaveSpectrumAs = 32775;
constexpr int kExportCsvHard = 32850;
constexpr int kExportCsvSoft = 32851;
constexpr int kExportTraceRaw = 32873;
constexpr int kExportTraceNormalized = 32874;
constexpr int kExit = 57665;
constexpr int kCopySpectrum = 32858;
constexpr int kCopyWindow = 32859;
constexpr int kCopyTraceViewer = 32856;
constexpr int kCopyTraces = 32857;
constexpr int kViewStatusBar = 59393;
constexpr int kLookFirst = 32823;  // Style 1 .. Style 5, then Blue, Black, Silver, Aqua
constexpr int kLookBlack = 32829;
constexpr int kLookLast = 32831;  // Aqua
constexpr int kRestoreLayout = 32840;
constexpr int kDefaultLayout = 32910;
constexpr int kPort = 32779;
constexpr int kAutoConnect = 32794;
constexpr int kConnect = 32884;
constexpr int kDisconnect = 32882;
constexpr int kCopyRegistersBufferToFile = 32842;
constexpr int kCopyRegistersFileToBuffer = 32843;
constexpr int kAboutHardware = 32860;
constexpr int kColor = 32789;
constexpr int kCaptions = 32876;
constexpr int kRoiMarkOver = 32887;
constexpr int kRoiFromCursor = 32888;
constexpr int kCopyRoiFileToBuffer = 32835;
constexpr int kCopyRoiBufferToFile = 32836;
constexpr int kCopyCalibrationFileToBuffer = 32838;
constexpr int kCopyCalibrationBufferToFile = 32839;
constexpr int kFpga = 32875;
constexpr int kAbout = 57664;
constexpr int kLinear = 32782;
constexpr int kLogarithmic = 32783;
constexpr int kAutoVertical = 32785;
constexpr int kExpandVertical = 32777;
constexpr int kCompressVertical = 32778;
constexpr int kExpandAroundCursor = 32788;
constexpr int kCompressAroundCursor = 32780;
constexpr int kExpandFromLeft = 32786;
constexpr int kCompressFromLeft = 32787;
constexpr int kFullSpectrum = 32784;
constexpr int kErase = 32894;
constexpr int kStart = 32820;
constexpr int kStop = 32821;
constexpr int kWatchdogSettings = 32960;  // Utility > Watchdog and Autosave...
// The background set: File > Open Background... and Close Background, Spectrum > Show Background
// and Net Spectrum.
constexpr int kOpenBackground = 32971;
constexpr int kCloseBackground = 32972;
constexpr int kShowBackground = 32973;
constexpr int kNetSpectrum = 32974;

}  // namespace mirvo::cmd
