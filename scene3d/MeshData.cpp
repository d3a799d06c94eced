#include "scene3d/MeshData.h"

#include <cmath>
#include <cstring>

#include "scene2d/Errors.h"
#include "scene3d/TextForms.h"
#include "scene3d/Vectors.h"

UX_IMPLEMENT_CLASS(TscMeshData)

void TscMeshData::DefineProperties(TuiClassBuilder<TscMeshData>& C) {
  C.Property("Mesh", &TscMeshData::MeshBytes, &TscMeshData::SetMeshBytes).StoredWhen =
      [](const TuiPersistent& O) { return !static_cast<const TscMeshData&>(O).Vertices.empty(); };
  C.Property("Points", &TscMeshData::PointsText, static_cast<void (TscMeshData::*)(std::string)>(nullptr))
      .Stored = false;
  C.Property("Normals", &TscMeshData::NormalsText, static_cast<void (TscMeshData::*)(std::string)>(nullptr))
      .Stored = false;
  C.Property("TexCoordinates", &TscMeshData::TexCoordinatesText,
             static_cast<void (TscMeshData::*)(std::string)>(nullptr))
      .Stored = false;
  C.Property("TriangleIndices", &TscMeshData::TriangleIndicesText,
             static_cast<void (TscMeshData::*)(std::string)>(nullptr))
      .Stored = false;
}

void TscMeshData::Changed() {
  if (OnChanged) OnChanged();
}

void TscMeshData::Assign(const TscMeshData& Source) {
  Vertices = Source.Vertices;
  Indices = Source.Indices;
  Changed();
}

void TscMeshData::CalcNormals() {
  for (TscMeshVertex& v : Vertices) v.NX = v.NY = v.NZ = 0;
  const size_t n = Vertices.size();
  for (size_t i = 0; i + 2 < Indices.size(); i += 3) {
    const uint16_t a = Indices[i], b = Indices[i + 1], c = Indices[i + 2];
    if (a >= n || b >= n || c >= n) continue;
    auto pos = [&](uint16_t k) { return TscVector{Vertices[k].X, Vertices[k].Y, Vertices[k].Z, 1}; };
    const TscVector normal = scNormalize(scCross(scSubtract(pos(b), pos(a)), scSubtract(pos(c), pos(a))));
    for (uint16_t k : {a, b, c}) {
      Vertices[k].NX += normal.X;
      Vertices[k].NY += normal.Y;
      Vertices[k].NZ += normal.Z;
    }
  }
}

TuiBinary TscMeshData::MeshBytes() const {
  TuiBinary out;
  auto put32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) out.Bytes.push_back(uint8_t(v >> (8 * i)));
  };
  auto putRaw = [&](const void* p, size_t size) {
    const auto* b = static_cast<const uint8_t*>(p);
    out.Bytes.insert(out.Bytes.end(), b, b + size);
  };
  put32(uint32_t(Vertices.size()));
  putRaw(Vertices.data(), Vertices.size() * sizeof(TscMeshVertex));
  put32(uint32_t(Indices.size()));
  putRaw(Indices.data(), Indices.size() * 2);
  return out;
}

void TscMeshData::SetMeshBytes(const TuiBinary& Value) {
  const std::vector<uint8_t>& b = Value.Bytes;
  size_t at = 0;
  // Every count is checked against what remains before anything is taken.
  auto get32 = [&]() -> uint32_t {
    if (b.size() - at < 4) throw EuxReadError("Invalid stream format");
    uint32_t v =
        uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
    at += 4;
    return v;
  };
  const uint32_t vertexCount = get32();
  if ((b.size() - at) / sizeof(TscMeshVertex) < vertexCount) throw EuxReadError("Invalid stream format");
  std::vector<TscMeshVertex> vertices(vertexCount);
  std::memcpy(vertices.data(), b.data() + at, vertexCount * sizeof(TscMeshVertex));
  at += vertexCount * sizeof(TscMeshVertex);
  const uint32_t indexCount = get32();
  if ((b.size() - at) / 2 < indexCount) throw EuxReadError("Invalid stream format");
  std::vector<uint16_t> indices(indexCount);
  std::memcpy(indices.data(), b.data() + at, indexCount * 2);
  Vertices = std::move(vertices);
  Indices = std::move(indices);
  Changed();
}

namespace {
template <class F>
std::string Records(size_t Count, F&& Record) {
  std::string out;
  for (size_t i = 0; i < Count; ++i) {
    if (i) out += "  ";
    out += Record(i);
  }
  return out;
}
}  // namespace

std::string TscMeshData::PointsText() const {
  return Records(Vertices.size(), [&](size_t i) {
    const TscMeshVertex& v = Vertices[i];
    return scFloatToText(v.X) + " " + scFloatToText(v.Y) + " " + scFloatToText(v.Z);
  });
}

std::string TscMeshData::NormalsText() const {
  return Records(Vertices.size(), [&](size_t i) {
    const TscMeshVertex& v = Vertices[i];
    return scFloatToText(v.NX) + " " + scFloatToText(v.NY) + " " + scFloatToText(v.NZ);
  });
}

std::string TscMeshData::TexCoordinatesText() const {
  return Records(Vertices.size(),
                 [&](size_t i) { return scFloatToText(Vertices[i].U) + " " + scFloatToText(Vertices[i].V); });
}

std::string TscMeshData::TriangleIndicesText() const {
  return Records(Indices.size() / 3, [&](size_t i) {
    return std::to_string(Indices[3 * i]) + " " + std::to_string(Indices[3 * i + 1]) + " " +
           std::to_string(Indices[3 * i + 2]);
  });
}

const TscMeshData& scScreenQuad() {
  static const TscMeshData* quad = [] {
    auto* m = new TscMeshData;
    m->Vertices = {{-0.5f, -0.5f, 0, 0, 0, 1, 0, 0},
                   {0.5f, -0.5f, 0, 0, 0, 1, 1, 0},
                   {0.5f, 0.5f, 0, 0, 0, 1, 1, 1},
                   {-0.5f, 0.5f, 0, 0, 0, 1, 0, 1}};
    m->Indices = {0, 1, 3, 3, 1, 2};
    return m;
  }();
  return *quad;
}
