@technique MyEffect
@pass P0
@vertex
@end
