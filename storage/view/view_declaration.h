// ViewDeclaration: a VIEW as the program declares it — a record stream over
// one primary FILE, optionally joined to secondary FILEs, with an optional
// static filter and order.
//
// Each FILE is named with the prefix its fields are bound under in filters
// and orders ("NBA" for NBA:DATA). A join links its FILE to the enclosing one
// either by one of its keys (1-based) and, for each leading key component in
// key order, a field of the enclosing FILE; or by a join expression. An INNER
// join delivers an enclosing row only with a matching record; any other join
// delivers the enclosing row once, with the secondary buffer cleared, when
// nothing matches. Projections name the fields the view reads (empty: all);
// they are reported through the view's properties and its trace.
//
// The declaration refers to the FILEs, which the program owns and keeps open
// while it uses the view; it is read-only once the View is made.
//
// Example, the payslip's view of a month:
//     ViewDeclaration v{.label = "Payslips", .primary = {&nbasa, "NBA"},
//                       .filter = "year(NBA:data)=year(dat) and month(NBA:data)=month(dat)",
//                       .order = "NBA:FAM",
//                       .joins = {{.file = {&nzelvo, "NZE"}, .key = 1, .linkFields = {"NUM", "DATA"}}}};
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "storage/file.h"

namespace zelvo {

struct ViewFile {
  File* file = nullptr;
  std::string_view prefix;  // the fields' prefix: "NBA"
};

struct ViewJoin {
  ViewFile file;
  std::size_t key = 0;                       // 1-based key of the secondary FILE; 0: by expression
  std::vector<std::string_view> linkFields;  // fields of the enclosing FILE ("NUM" or "NBA:NUM")
  std::string_view expression;               // the link condition when key is 0
  bool inner = false;
  std::vector<std::string_view> projection;
  std::vector<ViewJoin> joins;
};

struct ViewDeclaration {
  std::string_view label;  // the VIEW's label, for the trace
  ViewFile primary;
  std::vector<std::string_view> projection;
  std::string_view filter;
  std::string_view order;
  std::vector<ViewJoin> joins;
};

// The declaration as the trace writes it:
// "VIEW(NBASA),PROJECT(NBA:NUM),JOIN(NZE:NUM_KEY,NBA:NUM),INNER,PROJECT(...)..."
std::string DescribeView(const ViewDeclaration& view);

}  // namespace zelvo
