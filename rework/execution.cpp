// The run loop and the logs of a run. The loop reads, selects, builds and
// writes one record at a time; every look-up was done before it starts.
#include "rework/execution.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "filter/qelfilter.h"
#include "message/qelmessage.h"
#include "platform/ui_hooks.h"

namespace qel::rework {

namespace {

int32_t g_run_counter = 0;

constexpr int kEndOfFile = 2690;

void Put32(char* record, std::size_t offset, uint32_t v) {
  for (int i = 0; i < 4; ++i) record[offset + i] = static_cast<char>(v >> (8 * i));
}

uint32_t Address(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

void CompImage(char* record, const SelCompEntry& e) {
  Put32(record, 16, static_cast<uint32_t>(e.kind));
  Put32(record, 20, static_cast<uint32_t>(e.item));
  Put32(record, 24, Address(e.constant));
  Put32(record, 28, Address(e.next));
  Put32(record, 32, static_cast<uint32_t>(e.check_result));
  record[36] = e.any_string;
  record[37] = e.any_one;
}

void Line(const char* text) { KMSOFileOut(kLogRework, text); }

template <typename... Args>
void Linef(const char* format, Args... args) {
  char buffer[2048];
  std::snprintf(buffer, sizeof buffer, format, args...);
  Line(buffer);
}

void NameLine(const char* with_name, const char* without, const std::string& name) {
  if (name.empty()) {
    Line(without);
  } else {
    Linef(with_name, name.c_str());
  }
}

}  // namespace

int32_t CKREXDoc::run_counter() { return g_run_counter; }

void WriteSystemInformation(const CZovozDoc& doc, bool batch_form) {
  const ProcedureSettings& s = doc.settings;
  char time[KMSO_TIME_SIZE];
  KMSOGetTime(time);
  Linef("%s \x83\x56\x83\x58\x83\x65\x83\x80\x8f\xee\x95\xf1-------------------------------\n",
        time);
  if (doc.run_phase == 2 && !doc.procedure_path.empty()) {
    Linef("\x8e\xe8\x8f\x87\x83\x74\x83\x40\x83\x43\x83\x8b\x96\xbc    =%s\n",
          doc.procedure_path.c_str());
  }
  NameLine("\x93\xfc\x97\xcd\x83\x74\x83\x40\x83\x43\x83\x8b\x96\xbc    =%s\n",
           "\x93\xfc\x97\xcd\x83\x74\x83\x40\x83\x43\x83\x8b\x96\xbc    =\x82\xc8\x82\xb5\n",
           s.in_data);
  NameLine(
      "\x93\xfc\x97\xcd\x92\xe8\x8b\x60\x83\x74\x83\x40\x83\x43\x83\x8b\x96\xbc=%s\n",
      "\x93\xfc\x97\xcd\x92\xe8\x8b\x60\x83\x74\x83\x40\x83\x43\x83\x8b\x96\xbc=\x82\xc8\x82\xb5\n",
      s.in_def);
  NameLine("\x8f\x6f\x97\xcd\x83\x74\x83\x40\x83\x43\x83\x8b\x96\xbc    =%s\n",
           "\x8f\x6f\x97\xcd\x83\x74\x83\x40\x83\x43\x83\x8b\x96\xbc    =\x82\xc8\x82\xb5\n",
           s.out_data);
  NameLine(
      "\x8f\x6f\x97\xcd\x92\xe8\x8b\x60\x83\x74\x83\x40\x83\x43\x83\x8b\x96\xbc=%s\n",
      "\x8f\x6f\x97\xcd\x92\xe8\x8b\x60\x83\x74\x83\x40\x83\x43\x83\x8b\x96\xbc=\x82\xc8\x82\xb5\n",
      s.out_def);
  Linef(
      "\x93\xfc\x97\xcd\x83\x74\x83\x40\x83\x43\x83\x8b\x82\x63\x82\x73\x82\x65\x83\x41\x83\x68\x83"
      "\x8c\x83\x58=%x\n",
      Address(&doc.input));
  Linef(
      "\x8f\x6f\x97\xcd\x83\x74\x83\x40\x83\x43\x83\x8b\x82\x63\x82\x73\x82\x65\x83\x41\x83\x68\x83"
      "\x8c\x83\x58=%x\n",
      Address(&doc.output));
  Linef(
      "\x91\x49\x91\xf0\x8f\xf0\x8c\x8f\x83\x65\x81\x5b\x83\x75\x83\x8b\x83\x41\x83\x68\x83\x8c\x83"
      "\x58=%x\n",
      Address(doc.conditions.data()));
  Linef("\x91\x49\x91\xf0\x8f\xf0\x8c\x8f\x90\x94=%d\n", doc.condition_count);
  Linef(
      "\x88\xda\x93\xae\x8d\x80\x96\xda\x83\x8a\x83\x58\x83\x67\x90\xe6\x93\xaa\x83\x41\x83\x68\x83"
      "\x8c\x83\x58=%x\n",
      Address(doc.edit_list));
  Linef(
      "\x94\x43\x88\xd3\x82\xcc\x95\xb6\x8e\x9a\x97\xf1\x83\x81\x83\x5e\x95\xb6\x8e\x9a='%c' "
      "(0x%-2x) , "
      "\x94\x43\x88\xd3\x82\xcc\x82\x50\x95\xb6\x8e\x9a\x83\x81\x83\x5e\x95\xb6\x8e\x9a='%c' "
      "(0x%-2x)\n",
      s.meta_all, static_cast<unsigned char>(s.meta_all), s.meta_one,
      static_cast<unsigned char>(s.meta_one));
  Line(s.method == kMethodSameName
           ? "\x95\xd2\x8f\x57\x95\xfb\x96\x40=\x93\xaf\x88\xea\x8d\x80\x96\xda\n"
           : "\x95\xd2\x8f\x57\x95\xfb\x96\x40=\x8e\x77\x92\xe8\x8d\x80\x96\xda\n");
  Line(s.copy ? "\x95\xd2\x8f\x57\x91\x4f\x82\xcc\x95\xa1\x8e\xca\x8e\x77\x92\xe8="
                "\x95\xa1\x8e\xca\x8c\xe3\x82\xc9\x95\xd2\x8f\x57\n"
              : "\x95\xd2\x8f\x57\x91\x4f\x82\xcc\x95\xa1\x8e\xca\x8e\x77\x92\xe8="
                "\x95\xa1\x8e\xca\x82\xb5\x82\xc8\x82\xa2\x82\xc5\x95\xd2\x8f\x57\n");
  Line(s.big_endian ? "big endian\x95\xd2\x8f\x57=\x97\x4c\x8c\xf8\n"
                    : "big endian\x95\xd2\x8f\x57=\x96\xb3\x8c\xf8\n");
  Line(s.blank_when_zero ? "BLANK WHEN ZERO\x8b\xe5=\x97\x4c\x8c\xf8\n"
                         : "BLANK WHEN ZERO\x8b\xe5=\x96\xb3\x8c\xf8\n");
  if (s.expression.empty()) {
    Line("\x91\x49\x91\xf0\x8f\xf0\x8c\x8f\x8e\xae=''\n");
  } else {
    Linef("\x91\x49\x91\xf0\x8f\xf0\x8c\x8f\x8e\xae='%s'\n", s.expression.c_str());
  }
  if (batch_form) {
    Line("\x8e\xc0\x8d\x73\x8c\x60\x91\xd4=\x83\x6f\x83\x62\x83\x60\n");
  } else {
    Line(s.form == kFormSelection ? "\x8e\xc0\x8d\x73\x8c\x60\x91\xd4=\x91\x49\x91\xf0\n"
                                  : "\x8e\xc0\x8d\x73\x8c\x60\x91\xd4=\x95\xd2\x8f\x57\n");
  }
  KMSOFileRound(kLogRework, std::string(63, '-').append("\n").c_str());
}

void CKREXDoc::LogSelection() const {
  char record[kLogRecordSize];
  auto blank = [&record] { std::memset(record, ' ', sizeof record); };
  auto out = [&record] { KMSOBinaryOut(kLogSelection, record, sizeof record); };
  blank();
  char time[KMSO_TIME_SIZE];
  KMSOGetTime(time);
  std::memcpy(record, time, std::strlen(time));
  out();
  for (int c = 0; c < doc_->condition_count; ++c) {
    const SelCondEntry& cond = doc_->conditions[c];
    blank();
    Put32(record, 0, static_cast<uint32_t>(cond.key_item));
    Put32(record, 4, static_cast<uint32_t>(cond.op));
    Put32(record, 8, Address(cond.comparisons));
    if (cond.comparisons != nullptr) CompImage(record, *cond.comparisons);
    out();
    for (const SelCompEntry* e = cond.comparisons != nullptr ? cond.comparisons->next : nullptr;
         e != nullptr; e = e->next) {
      blank();
      CompImage(record, *e);
      out();
    }
  }
  std::string_view prefix(doc_->settings.prefix.data());
  do {
    blank();
    std::size_t n = std::min(prefix.size(), kLogRecordSize);
    std::memcpy(record, prefix.data(), n);
    prefix.remove_prefix(n);
    out();
  } while (!prefix.empty());
  blank();
  out();
}

int CKREXDoc::Run() {
  ++g_run_counter;
  {
    char header[kLogRecordSize] = {};
    std::memcpy(header, "*** KRMV_INF ***", 16);
    Put32(header, 16, static_cast<uint32_t>(g_run_counter));
    KMSOBinaryOut(kLogEdit, header, sizeof header);
  }
  read_ = 0;
  written_ = 0;
  error_item_ = 0;
  sub_code_.clear();
  failed_ = nullptr;
  message_ = 0;
  const ProcedureSettings& s = doc_->settings;
  bool edit = s.form == kFormEdit;
  if (edit) {
    message_ = engine_->Prepare();
    if (message_ != 0) {
      error_item_ = engine_->error_item();
      engine_->Release();
      cancel_ = false;
      return message_;
    }
    edit = !engine_->CopiesOnly();
  }
  DTF& in = doc_->input;
  DTF& out = doc_->output;
  bool conditions = doc_->condition_count > 0;
  bool first_selection = true;
  bool first_edit = true;
  SelRunOptions options{s.big_endian ? 1 : 0, s.blank_when_zero ? 1 : 0};
  for (;;) {
    if (cancel_) {
      message_ = kRunCancelled;
      break;
    }
    platform::PumpOneMessage();
    if (KRACRead(&in) != 0) {
      uint32_t status = KRACGetStatus(&in);
      if (status != kEndOfFile) {
        message_ = static_cast<int>(status);
        sub_code_ = KRACGetSubCode(&in);
        failed_ = &in;
      }
      break;
    }
    std::span<const std::uint8_t> input(reinterpret_cast<const std::uint8_t*>(in.record_area),
                                        static_cast<std::size_t>(in.record_length));
    std::span<std::uint8_t> output(reinterpret_cast<std::uint8_t*>(out.record_area),
                                   static_cast<std::size_t>(out.record_length));
    if (edit) {
      engine_->PrepareRecord(input, output);
    } else {
      std::memset(output.data(), ' ', output.size());
    }
    read_.fetch_add(1, std::memory_order_relaxed);
    if (conditions) {
      int item = 0;
      int selected = KCNDSelect1(&in, s.prefix.data(), doc_->conditions.data(), &item, &options);
      if (first_selection) {
        first_selection = false;
        LogSelection();
      }
      if (selected == 0) continue;
      if (selected != 1) {
        message_ = selected;
        error_item_ = item;
        break;
      }
    }
    if (edit) {
      int result = engine_->Edit(input, output, first_edit);
      first_edit = false;
      if (result != 0) {
        message_ = result;
        error_item_ = engine_->error_item();
        break;
      }
    } else {
      std::memcpy(output.data(), input.data(), std::min(input.size(), output.size()));
    }
    if (KRACWrite(&out) != 0) {
      message_ = static_cast<int>(KRACGetStatus(&out));
      sub_code_ = KRACGetSubCode(&out);
      failed_ = &out;
      break;
    }
    written_.fetch_add(1, std::memory_order_relaxed);
  }
  engine_->Release();
  // The request is cleared when the run ends, not when it starts, so that a
  // cancel pressed while the moves were being prepared is not lost.
  cancel_ = false;
  return message_;
}

}  // namespace qel::rework
