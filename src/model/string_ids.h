#pragma once

// Ids of the string table; the built-in texts are in string_table.cpp.
namespace trv::string_id {

// Rule text sheet: output location and channel.
inline constexpr int kTerminationOutputLocation = 65000;  // "T. Board %d, Bank %d, Output %d"
inline constexpr int kBoardOutputLocation = 65001;        // "Board %d, Output %d"
inline constexpr int kDriverOutputLocation = 65002;       // "D. Board %d, Output %d"
inline constexpr int kLedChannel = 65003;                 // "LED %3d"
inline constexpr int kRelayChannel = 65004;               // "Relay %3d"
inline constexpr int kChannelSuffix = 65005;              // " (%s)"

// Maker and product.
inline constexpr int kCompanyName = 65100;
inline constexpr int kProductName = 65101;
inline constexpr int kProductTitle = 65102;

// Headings of the rule text sheet, columns 1..9 in order.
inline constexpr int kRuleHeading = 65110;
inline constexpr int kPanelHeading = 65111;
inline constexpr int kLoopHeading = 65112;
inline constexpr int kZoneHeading = 65113;
inline constexpr int kAddressHeading = 65114;
inline constexpr int kDeviceHeading = 65115;
inline constexpr int kEventHeading = 65116;
inline constexpr int kOutputHeading = 65117;
inline constexpr int kChannelHeading = 65118;

// Names of the rule kinds, by kind 0..4.
inline constexpr int kBoardKindName = 65130;
inline constexpr int kEventLocalKindName = 65131;
inline constexpr int kEventNetworkKindName = 65132;
inline constexpr int kZonalKindName = 65133;
inline constexpr int kEventGeneralKindName = 65134;

// Rule text cells.
inline constexpr int kAnyAddress = 65150;
inline constexpr int kAnyLoop = 65151;
inline constexpr int kVirtualLoop = 65152;
inline constexpr int kAnyPanel = 65153;
inline constexpr int kAnyReference = 65154;
inline constexpr int kAnyZone = 65155;
inline constexpr int kNonDevice = 65156;
inline constexpr int kNonLoop = 65157;
inline constexpr int kNotApplicable = 65158;
inline constexpr int kInvalid = 65203;
inline constexpr int kMimicRules = 65205;
inline constexpr int kModule = 65207;
inline constexpr int kNetworkZone = 65210;
inline constexpr int kPage = 65215;
inline constexpr int kSensor = 65216;
inline constexpr int kSavingRuleInformation = 65219;
inline constexpr int kRule = 65225;
inline constexpr int kLed = 65226;
inline constexpr int kRelay = 65227;
inline constexpr int kSteady = 65228;
inline constexpr int kOff = 65229;

// Message box captions.
inline constexpr int kError = 65240;
inline constexpr int kInformation = 65241;
inline constexpr int kWarning = 65242;
inline constexpr int kDeleteRule = 65244;
inline constexpr int kModifyRule = 65245;
inline constexpr int kProgramReset = 65246;
inline constexpr int kResetRule = 65247;
inline constexpr int kReadyForTransfer = 65248;

// Messages and questions.
inline constexpr int kOlderVersionFile = 65261;   // %s = path
inline constexpr int kNoRuleInformation = 65262;  // %s = path
inline constexpr int kCreateInvertRule = 65263;
inline constexpr int kNoRulesDefined = 65264;
inline constexpr int kResetToDefaults = 65265;
inline constexpr int kDeleteRuleQuestion = 65266;  // %d = rule number
inline constexpr int kModifyRuleQuestion = 65267;  // %d = rule number
inline constexpr int kRuleFileFilter = 65268;
inline constexpr int kResetRuleQuestion = 65269;  // %d = rule number
inline constexpr int kSaveChangesQuestion = 65270;
inline constexpr int kSystemUnavailable = 65271;
inline constexpr int kTransferPrompt = 65273;
inline constexpr int kRelayLinkWarning = 65275;
inline constexpr int kDeleteBackup = 65381;
inline constexpr int kBackupFailed = 65382;
inline constexpr int kEmptyUnitName = 65383;  // %s = the name put back
inline constexpr int kControllerSetUpQuestion = 65393;

// Board labels.
inline constexpr int kBoard = 65410;
inline constexpr int kMainBoard = 65411;
inline constexpr int kExpansionBoard = 65412;

// Flash dialog: error texts by code (kFlashErrorFirst + code for codes 0..8).
inline constexpr int kFlashErrorFirst = 65420;
inline constexpr int kFlashErrorLastCode = 8;
inline constexpr int kFlashErrorUnknown = 65429;
inline constexpr int kFlashErrorCaption = 65430;
inline constexpr int kNoConfigurationData = 65431;

// Flash dialog: stage texts.
inline constexpr int kStageReadingFile = 65432;
inline constexpr int kStageEstablishingComms = 65433;
inline constexpr int kStageCheckingFlashVersion = 65434;
inline constexpr int kStageVerifyingSoftwareIdent = 65435;
inline constexpr int kStageErasing = 65436;
inline constexpr int kStageProgramming = 65437;
inline constexpr int kStageReading = 65438;
inline constexpr int kStageVerifying = 65439;
inline constexpr int kStageComplete = 65440;

}  // namespace trv::string_id
