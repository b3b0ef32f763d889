#include "core/program_variables.h"

namespace zelvo {

RecordBuffer& ProgramVariables() {
  static RecordBuffer variables(kProgramVariablesFields);
  return variables;
}

std::span<const FieldDeclaration> BoundVariableDeclarations() { return kProgramVariablesFields; }

std::optional<BoundVariable> FindBoundVariable(std::string_view name) {
  const std::optional<std::size_t> index = FindField(kProgramVariablesFields, name);
  if (!index) return std::nullopt;
  const FieldDeclaration& field = kProgramVariablesFields[*index];
  return BoundVariable{field.name, &field, ProgramVariables().Bytes().data() + field.offset};
}

}  // namespace zelvo
