// The report sheets the client prints on: one form per report kind (daily, monthly,
// yearly) and paper ("\TB_Format\DFmt_A3.fed" ...). Each sheet has the page title, the
// period heading, the page number and four seal-box titles above a table: the band of
// the large headings, the item headings and units of 15 item columns, one row per hour,
// day or month with its label, and the total, average, maximum and minimum rows. Every
// text the client writes goes into a data field of the names the client uses (B_MIDASHI,
// M_MIDASHI, PAGE, NAME1..4, LABELk, M_KOMOKUi, S_KOMOKUi, TANIi, DATAi_k, TOTAL_i,
// AVE_i, MAX_i, MIN_i), with "X" formats, since the client passes finished texts.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace reportforms {

// Rows of the period: 24 hours, 31 days, 12 months.
[[nodiscard]] int PeriodRows(int reportKind);

// The form tool's JSON of the sheet of `reportKind` (1 daily, 2 monthly, 3 yearly) on
// the paper of form suffix `suffix` ("A3", "A4", "B4", "B5", "10"). Throws
// std::invalid_argument for another kind or suffix.
[[nodiscard]] nlohmann::ordered_json ReportFormJson(int reportKind, std::string_view suffix);

// Writes the 15 form files (three kinds, five papers) into `dir`, which is created; with
// `jsonDir` not empty also their JSON. Each file is written under a temporary name and
// renamed. Throws std::runtime_error when a file cannot be written.
void WriteReportForms(const std::filesystem::path& dir, const std::filesystem::path& jsonDir = {});

}  // namespace reportforms
