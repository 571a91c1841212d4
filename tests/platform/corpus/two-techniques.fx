// Two techniques, one with two passes, comments and blank lines between sections.
@technique Other
@pass First
@vertex
void main() {}
@end
@fragment
void main() {}
@end
@end

@pass Second
@fragment
out vec4 c;
@end
@vertex
in vec3 POSITION0;
@end
@end
@end
@technique MyEffect
@pass P0
@vertex
x
@end
@fragment
y
@end
@end
@end
