#include "host/gpu/gl/program.h"

#include <algorithm>
#include <string>

namespace host::gpu::gl {
namespace {

// The vertex shader's main becomes a function that the layer's main calls. The
// layer's main then maps Direct3D's clip-space depth (0..w) onto GL's (-w..w),
// so depth ranges, clamping and clears keep their Direct3D values, and flips y,
// so every texture holds its top row first, as on Direct3D: render targets,
// uploaded textures and read-backs agree, and viewports and scissor rectangles
// take Direct3D's numbers unchanged.
bool wrapVertexShader(const std::string& source, std::string* out, std::string* log) {
  const std::size_t start = source.find_first_not_of(" \t\r\n");
  if (start == std::string::npos || source.compare(start, 8, "#version") != 0) {
    *log = "vertex shader does not begin with #version";
    return false;
  }
  const std::size_t eol = source.find('\n', start);
  if (eol == std::string::npos) {
    *log = "vertex shader has no body";
    return false;
  }
  const int versionLine = 1 + static_cast<int>(std::count(source.begin(), source.begin() + eol, '\n'));
  *out = source.substr(0, eol + 1) + "#define main rk_user_main\n#line " + std::to_string(versionLine + 1) + "\n" +
         source.substr(eol + 1) +
         "\n#undef main\nvoid main() {\n  rk_user_main();\n  gl_Position.z = 2.0 * gl_Position.z - gl_Position.w;\n  gl_Position.y = -gl_Position.y;\n}\n";
  return true;
}

GLuint compile(GLenum kind, const std::string& source, std::string* log) {
  GLuint shader = glCreateShader(kind);
  const char* text = source.c_str();
  glShaderSource(shader, 1, &text, nullptr);
  glCompileShader(shader);
  GLint ok = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char buffer[4096] = {};
    glGetShaderInfoLog(shader, sizeof(buffer) - 1, nullptr, buffer);
    *log = std::string(kind == GL_VERTEX_SHADER ? "vertex shader: " : "pixel shader: ") + buffer;
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}

}  // namespace

bool buildProgram(const PipelineState& pipeline, Program* program, std::string* log) {
  std::string vertexSource;
  if (!wrapVertexShader(pipeline.vertexShader(), &vertexSource, log)) return false;
  GLuint vs = compile(GL_VERTEX_SHADER, vertexSource, log);
  if (!vs) return false;
  GLuint ps = 0;
  if (!pipeline.pixelShader().empty()) {
    ps = compile(GL_FRAGMENT_SHADER, pipeline.pixelShader(), log);
    if (!ps) {
      glDeleteShader(vs);
      return false;
    }
  }
  GLuint name = glCreateProgram();
  glAttachShader(name, vs);
  if (ps) glAttachShader(name, ps);
  // Attribute i is input element i, named after its semantic.
  const auto& layout = pipeline.inputLayout();
  for (std::size_t i = 0; i < layout.size(); ++i) {
    std::string attribute = layout[i].semanticName;
    if (layout[i].semanticIndex) attribute += std::to_string(layout[i].semanticIndex);
    glBindAttribLocation(name, static_cast<GLuint>(i), attribute.c_str());
  }
  glLinkProgram(name);
  glDeleteShader(vs);
  if (ps) glDeleteShader(ps);
  GLint ok = GL_FALSE;
  glGetProgramiv(name, GL_LINK_STATUS, &ok);
  if (!ok) {
    char buffer[4096] = {};
    glGetProgramInfoLog(name, sizeof(buffer) - 1, nullptr, buffer);
    *log = std::string("link: ") + buffer;
    glDeleteProgram(name);
    return false;
  }
  glUseProgram(name);
  for (int i = 0; i < kBindings; ++i) {
    const std::string block = "b" + std::to_string(i);
    const GLuint index = glGetUniformBlockIndex(name, block.c_str());
    if (index != GL_INVALID_INDEX) {
      glUniformBlockBinding(name, index, static_cast<GLuint>(i));
      glGetActiveUniformBlockiv(name, index, GL_UNIFORM_BLOCK_DATA_SIZE, &program->blockSize[i]);
    }
    const std::string sampler = "t" + std::to_string(i);
    const GLint location = glGetUniformLocation(name, sampler.c_str());
    if (location >= 0) glUniform1i(location, i);
  }
  glUseProgram(0);
  program->name = name;
  return true;
}

}  // namespace host::gpu::gl
