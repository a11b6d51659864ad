// smartctl answers as real drives give them, for the log tests: the text
// after the banner, empty lines and leading tabs included, as smartctl
// prints them.
#pragma once

#include <string>

namespace samples {

// A desktop disk, smartctl 7.3 -A.
inline const std::string kSeagateAttributes = R"(=== START OF READ SMART DATA SECTION ===
SMART Attributes Data Structure revision number: 10
Vendor Specific SMART Attributes with Thresholds:
ID# ATTRIBUTE_NAME          FLAG     VALUE WORST THRESH TYPE      UPDATED  WHEN_FAILED RAW_VALUE
  1 Raw_Read_Error_Rate     0x000f   117   099   006    Pre-fail  Always       -       145468488
  3 Spin_Up_Time            0x0003   096   096   000    Pre-fail  Always       -       0
  4 Start_Stop_Count        0x0032   100   100   020    Old_age   Always       -       285
  5 Reallocated_Sector_Ct   0x0033   100   100   010    Pre-fail  Always       -       0
  7 Seek_Error_Rate         0x000f   078   060   030    Pre-fail  Always       -       61327471
  9 Power_On_Hours          0x0032   076   076   000    Old_age   Always       -       21532 (197 141 0)
 10 Spin_Retry_Count        0x0013   100   100   097    Pre-fail  Always       -       0
 12 Power_Cycle_Count       0x0032   100   100   020    Old_age   Always       -       287
183 Runtime_Bad_Block       0x0032   100   100   000    Old_age   Always       -       0
184 End-to-End_Error        0x0032   100   100   099    Old_age   Always       -       0
187 Reported_Uncorrect      0x0032   100   100   000    Old_age   Always       -       0
188 Command_Timeout         0x0032   100   100   000    Old_age   Always       -       0 0 0
189 High_Fly_Writes         0x003a   100   100   000    Old_age   Always       -       0
190 Airflow_Temperature_Cel 0x0022   064   053   045    Old_age   Always       -       36 (Min/Max 24/41)
191 G-Sense_Error_Rate      0x0032   100   100   000    Old_age   Always       -       0
192 Power-Off_Retract_Count 0x0032   100   100   000    Old_age   Always       -       150
193 Load_Cycle_Count        0x0032   089   089   000    Old_age   Always       -       23457
194 Temperature_Celsius     0x0022   036   047   000    Old_age   Always       -       36 (0 16 0 0 0)
197 Current_Pending_Sector  0x0012   100   100   000    Old_age   Always       -       0
198 Offline_Uncorrectable   0x0010   100   100   000    Old_age   Offline      -       0
199 UDMA_CRC_Error_Count    0x003e   200   200   000    Old_age   Always       -       0
240 Head_Flying_Hours       0x0000   100   253   000    Old_age   Offline      -       21487h+38m+52.461s
241 Total_LBAs_Written      0x0000   100   253   000    Old_age   Offline      -       39874598213
242 Total_LBAs_Read         0x0000   100   253   000    Old_age   Offline      -       120748935622

)";

// An SSD, smartctl 7.3 -A.
inline const std::string kSamsungSSDAttributes = R"(=== START OF READ SMART DATA SECTION ===
SMART Attributes Data Structure revision number: 1
Vendor Specific SMART Attributes with Thresholds:
ID# ATTRIBUTE_NAME          FLAG     VALUE WORST THRESH TYPE      UPDATED  WHEN_FAILED RAW_VALUE
  5 Reallocated_Sector_Ct   0x0033   100   100   010    Pre-fail  Always       -       0
  9 Power_On_Hours          0x0032   095   095   000    Old_age   Always       -       21043
 12 Power_Cycle_Count       0x0032   099   099   000    Old_age   Always       -       512
177 Wear_Leveling_Count     0x0013   097   097   000    Pre-fail  Always       -       38
179 Used_Rsvd_Blk_Cnt_Tot   0x0013   100   100   010    Pre-fail  Always       -       0
181 Program_Fail_Cnt_Total  0x0032   100   100   010    Old_age   Always       -       0
182 Erase_Fail_Count_Total  0x0032   100   100   010    Old_age   Always       -       0
183 Runtime_Bad_Block       0x0013   100   100   010    Pre-fail  Always       -       0
187 Uncorrectable_Error_Cnt 0x0032   100   100   000    Old_age   Always       -       0
190 Airflow_Temperature_Cel 0x0032   068   052   000    Old_age   Always       -       32
195 ECC_Error_Rate          0x001a   200   200   000    Old_age   Always       -       0
199 CRC_Error_Count         0x003e   100   100   000    Old_age   Always       -       0
235 POR_Recovery_Count      0x0012   099   099   000    Old_age   Always       -       43
241 Total_LBAs_Written      0x0032   099   099   000    Old_age   Always       -       53912370234

)";

// A dying disk: reallocated sectors failing now, events failed in the past, pending sectors.
inline const std::string kFailingWDAttributes = R"(=== START OF READ SMART DATA SECTION ===
SMART Attributes Data Structure revision number: 16
Vendor Specific SMART Attributes with Thresholds:
ID# ATTRIBUTE_NAME          FLAG     VALUE WORST THRESH TYPE      UPDATED  WHEN_FAILED RAW_VALUE
  1 Raw_Read_Error_Rate     0x002f   200   200   051    Pre-fail  Always       -       12
  3 Spin_Up_Time            0x0027   176   172   021    Pre-fail  Always       -       4175
  5 Reallocated_Sector_Ct   0x0033   001   001   140    Pre-fail  Always   FAILING_NOW 1834
  9 Power_On_Hours          0x0032   039   039   000    Old_age   Always       -       44791
 10 Spin_Retry_Count        0x0032   100   253   000    Old_age   Always       -       0
194 Temperature_Celsius     0x0022   113   099   000    Old_age   Always       -       37
196 Reallocated_Event_Count 0x0032   001   001   000    Old_age   Always   In_the_past 1203
197 Current_Pending_Sector  0x0032   200   200   000    Old_age   Always       -       14
198 Offline_Uncorrectable   0x0030   100   253   000    Old_age   Offline      -       0
199 UDMA_CRC_Error_Count    0x0032   200   200   000    Old_age   Always       -       0
200 Multi_Zone_Error_Rate   0x0008   200   200   000    Old_age   Offline      -       3

)";

// The banner of an old smartctl (5.x) on the original platform.
inline const std::string kOldSmartctlBanner = R"(smartctl version 5.39.1 [i386-apple-darwin9.8.0] Copyright (C) 2002-10 by Bruce Allen
Home page is http://smartmontools.sourceforge.net/

)";

// A laptop disk under smartctl 5.39: temperatures with their lifetime range.
inline const std::string kOldSamsungAttributes = R"(=== START OF READ SMART DATA SECTION ===
SMART Attributes Data Structure revision number: 16
Vendor Specific SMART Attributes with Thresholds:
ID# ATTRIBUTE_NAME          FLAG     VALUE WORST THRESH TYPE      UPDATED  WHEN_FAILED RAW_VALUE
  1 Raw_Read_Error_Rate     0x000f   100   100   051    Pre-fail  Always   -           0
  3 Spin_Up_Time            0x0007   100   100   025    Pre-fail  Always   -           6464
  5 Reallocated_Sector_Ct   0x0033   253   253   010    Pre-fail  Always   -           0
  9 Power_On_Hours          0x0032   100   100   000    Old_age   Always   -           1544
190 Airflow_Temperature_Cel 0x0022   064   059   000    Old_age   Always   -           36 (Lifetime Min/Max 22/41)
194 Temperature_Celsius     0x0022   064   056   000    Old_age   Always   -           36 (Lifetime Min/Max 22/52)
197 Current_Pending_Sector  0x0012   253   253   000    Old_age   Always   -           0
198 Offline_Uncorrectable   0x0030   253   253   000    Old_age   Offline  -           0
199 UDMA_CRC_Error_Count    0x003e   100   100   000    Old_age   Always   -           0

)";

// smartctl 7.3 -l error of a disk with unreadable sectors: six errors, the last five shown.
inline const std::string kSixErrorsLog = R"(=== START OF READ SMART DATA SECTION ===
SMART Error Log Version: 1
ATA Error Count: 6 (device log contains only the most recent five errors)
	CR = Command Register [HEX]
	FR = Features Register [HEX]
	SC = Sector Count Register [HEX]
	SN = Sector Number Register [HEX]
	CL = Cylinder Low Register [HEX]
	CH = Cylinder High Register [HEX]
	DH = Device/Head Register [HEX]
	DC = Device Command Register [HEX]
	ER = Error register [HEX]
	ST = Status register [HEX]
Powered_Up_Time is measured from power on, and printed as
DDd+hh:mm:SS.sss where DD=days, hh=hours, mm=minutes,
SS=sec, and sss=millisec. It "wraps" after 49.710 days.

Error 6 occurred at disk power-on lifetime: 1618 hours (67 days + 10 hours)
  When the command that caused the error occurred, the device was active or idle.

  After command completion occurred, registers were:
  ER ST SC SN CL CH DH
  -- -- -- -- -- -- --
  40 51 00 ff ff ff 0f  Error: UNC at LBA = 0x0fffffff = 268435455

  Commands leading to the command that caused the error were:
  CR FR SC SN CL CH DH DC   Powered_Up_Time  Command/Feature_Name
  -- -- -- -- -- -- -- --  ----------------  --------------------
  60 00 08 ff ff ff 4f 00      00:07:47.379  READ FPDMA QUEUED
  60 00 08 ff ff ff 4f 00      00:07:47.379  READ FPDMA QUEUED
  60 00 08 ff ff ff 4f 00      00:07:47.378  READ FPDMA QUEUED
  ef 10 02 00 00 00 a0 00      00:07:47.378  SET FEATURES [Enable SATA feature]
  27 00 00 00 00 00 e0 00      00:07:47.378  READ NATIVE MAX ADDRESS EXT [OBS-ACS-3]

Error 5 occurred at disk power-on lifetime: 1618 hours (67 days + 10 hours)
  When the command that caused the error occurred, the device was active or idle.

  After command completion occurred, registers were:
  ER ST SC SN CL CH DH
  -- -- -- -- -- -- --
  40 51 00 ff ff ff 0f  Error: UNC at LBA = 0x0fffffff = 268435455

  Commands leading to the command that caused the error were:
  CR FR SC SN CL CH DH DC   Powered_Up_Time  Command/Feature_Name
  -- -- -- -- -- -- -- --  ----------------  --------------------
  60 00 08 ff ff ff 4f 00      00:07:47.379  READ FPDMA QUEUED
  60 00 08 ff ff ff 4f 00      00:07:47.379  READ FPDMA QUEUED
  60 00 08 ff ff ff 4f 00      00:07:47.378  READ FPDMA QUEUED
  ef 10 02 00 00 00 a0 00      00:07:47.378  SET FEATURES [Enable SATA feature]
  27 00 00 00 00 00 e0 00      00:07:47.378  READ NATIVE MAX ADDRESS EXT [OBS-ACS-3]

Error 4 occurred at disk power-on lifetime: 1617 hours (67 days + 9 hours)
  When the command that caused the error occurred, the device was active or idle.

  After command completion occurred, registers were:
  ER ST SC SN CL CH DH
  -- -- -- -- -- -- --
  40 51 00 ff ff ff 0f  Error: UNC at LBA = 0x0fffffff = 268435455

  Commands leading to the command that caused the error were:
  CR FR SC SN CL CH DH DC   Powered_Up_Time  Command/Feature_Name
  -- -- -- -- -- -- -- --  ----------------  --------------------
  60 00 08 ff ff ff 4f 00      00:07:47.379  READ FPDMA QUEUED
  60 00 08 ff ff ff 4f 00      00:07:47.379  READ FPDMA QUEUED
  60 00 08 ff ff ff 4f 00      00:07:47.378  READ FPDMA QUEUED
  ef 10 02 00 00 00 a0 00      00:07:47.378  SET FEATURES [Enable SATA feature]
  27 00 00 00 00 00 e0 00      00:07:47.378  READ NATIVE MAX ADDRESS EXT [OBS-ACS-3]

Error 3 occurred at disk power-on lifetime: 1502 hours (62 days + 14 hours)
  When the command that caused the error occurred, the device was active or idle.

  After command completion occurred, registers were:
  ER ST SC SN CL CH DH
  -- -- -- -- -- -- --
  40 51 00 ff ff ff 0f  Error: UNC at LBA = 0x0fffffff = 268435455

  Commands leading to the command that caused the error were:
  CR FR SC SN CL CH DH DC   Powered_Up_Time  Command/Feature_Name
  -- -- -- -- -- -- -- --  ----------------  --------------------
  60 00 08 ff ff ff 4f 00      00:07:47.379  READ FPDMA QUEUED
  60 00 08 ff ff ff 4f 00      00:07:47.379  READ FPDMA QUEUED
  60 00 08 ff ff ff 4f 00      00:07:47.378  READ FPDMA QUEUED
  ef 10 02 00 00 00 a0 00      00:07:47.378  SET FEATURES [Enable SATA feature]
  27 00 00 00 00 00 e0 00      00:07:47.378  READ NATIVE MAX ADDRESS EXT [OBS-ACS-3]

Error 2 occurred at disk power-on lifetime: 1499 hours (62 days + 11 hours)
  When the command that caused the error occurred, the device was active or idle.

  After command completion occurred, registers were:
  ER ST SC SN CL CH DH
  -- -- -- -- -- -- --
  40 51 00 ff ff ff 0f  Error: UNC at LBA = 0x0fffffff = 268435455

  Commands leading to the command that caused the error were:
  CR FR SC SN CL CH DH DC   Powered_Up_Time  Command/Feature_Name
  -- -- -- -- -- -- -- --  ----------------  --------------------
  60 00 08 ff ff ff 4f 00      00:07:47.379  READ FPDMA QUEUED
  60 00 08 ff ff ff 4f 00      00:07:47.379  READ FPDMA QUEUED
  60 00 08 ff ff ff 4f 00      00:07:47.378  READ FPDMA QUEUED
  ef 10 02 00 00 00 a0 00      00:07:47.378  SET FEATURES [Enable SATA feature]
  27 00 00 00 00 00 e0 00      00:07:47.378  READ NATIVE MAX ADDRESS EXT [OBS-ACS-3]

)";

// smartctl 7.3 -l error of a disk on a bad cable: two errors with fewer than five commands each.
inline const std::string kCableErrorsLog = R"(=== START OF READ SMART DATA SECTION ===
SMART Error Log Version: 1
ATA Error Count: 2
	CR = Command Register [HEX]
	FR = Features Register [HEX]
	SC = Sector Count Register [HEX]
	SN = Sector Number Register [HEX]
	CL = Cylinder Low Register [HEX]
	CH = Cylinder High Register [HEX]
	DH = Device/Head Register [HEX]
	DC = Device Command Register [HEX]
	ER = Error register [HEX]
	ST = Status register [HEX]
Powered_Up_Time is measured from power on, and printed as
DDd+hh:mm:SS.sss where DD=days, hh=hours, mm=minutes,
SS=sec, and sss=millisec. It "wraps" after 49.710 days.

Error 2 occurred at disk power-on lifetime: 5219 hours (217 days + 11 hours)
  When the command that caused the error occurred, the device was active or idle.

  After command completion occurred, registers were:
  ER ST SC SN CL CH DH
  -- -- -- -- -- -- --
  84 51 08 1f 3c 9a e3  Error: ICRC, ABRT 8 sectors at LBA = 0x039a3c1f = 60439583

  Commands leading to the command that caused the error were:
  CR FR SC SN CL CH DH DC   Powered_Up_Time  Command/Feature_Name
  -- -- -- -- -- -- -- --  ----------------  --------------------
  25 00 08 1f 3c 9a e3 00   1d+02:13:44.120  READ DMA EXT
  25 00 08 17 3c 9a e3 00   1d+02:13:44.118  READ DMA EXT
  ca 00 08 ff 01 00 e0 00   1d+02:13:44.100  WRITE DMA

Error 1 occurred at disk power-on lifetime: 5203 hours (216 days + 19 hours)
  When the command that caused the error occurred, the device was in standby mode.

  After command completion occurred, registers were:
  ER ST SC SN CL CH DH
  -- -- -- -- -- -- --
  04 51 00 00 00 00 a0  Error: ABRT

  Commands leading to the command that caused the error were:
  CR FR SC SN CL CH DH DC   Powered_Up_Time  Command/Feature_Name
  -- -- -- -- -- -- -- --  ----------------  --------------------
  ef 03 46 00 00 00 a0 00      00:00:10.517  SET FEATURES [Set transfer mode]

)";

// smartctl 7.3 -l error of a healthy disk.
inline const std::string kNoErrorsLog = R"(=== START OF READ SMART DATA SECTION ===
SMART Error Log Version: 1
No Errors Logged

)";

// smartctl 7.3 -l selftest: an extended test that hit a bad sector, newest first.
inline const std::string kFailedReadSelfTestLog = R"(=== START OF READ SMART DATA SECTION ===
SMART Self-test log structure revision number 1
Num  Test_Description    Status                  Remaining  LifeTime(hours)  LBA_of_first_error
# 1  Short offline       Completed without error       00%     21530         -
# 2  Extended offline    Completed: read failure       90%     21401         1953525134
# 3  Short offline       Completed without error       00%     21300         -
# 4  Conveyance offline  Aborted by host               60%       120         -
1 of 1 failed self-tests are outdated by newer successful extended offline self-test # 1

)";

// smartctl 7.3 -l selftest: a long test running, earlier tests clean.
inline const std::string kCleanSelfTestLog = R"(=== START OF READ SMART DATA SECTION ===
SMART Self-test log structure revision number 1
Num  Test_Description    Status                  Remaining  LifeTime(hours)  LBA_of_first_error
# 1  Extended offline    Self-test routine in progress 90%      1236         -
# 2  Extended offline    Completed without error       00%      1234         -
# 3  Short offline       Completed without error       00%      1100         -

)";

// smartctl 7.3 -l selftest of a new disk.
inline const std::string kNoSelfTestsLog = R"(=== START OF READ SMART DATA SECTION ===
SMART Self-test log structure revision number 1
No self-tests have been logged.  [To run self-tests, use: smartctl -t]

)";

}  // namespace samples
